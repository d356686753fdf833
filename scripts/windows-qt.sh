#!/usr/bin/env bash
# Prints the directory of Qt for 64-bit Windows (cross-built with mingw-w64), making it first if need be.
# Looks for the ready build qt6-mingw64-6.4.2.tar.xz in $VEXILOR_QT_TOOLCHAINS, <repo>/../shared/toolchains
# and /work/shared/toolchains, checks its sha256 and unpacks it once into the cache; without it, builds
# Qt from Debian's source with scripts/build-qt-mingw.sh (about an hour on 2 cores).
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
version=6.4.2
sha256=d5cbff52514e17e2ceee7990440d89132d6a87a1b8426b9e0e2ff1681431e789
cache=${VEXILOR_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/vexilor}
dest=$cache/qt6-mingw64-$version
if [[ -f $dest/.complete ]]; then
  echo "$dest/qt6-mingw64"
  exit 0
fi
mkdir -p "$cache"
tarball=
for dir in ${VEXILOR_QT_TOOLCHAINS:+"$VEXILOR_QT_TOOLCHAINS"} "$repo/../shared/toolchains" /work/shared/toolchains; do
  if [[ -f $dir/qt6-mingw64-$version.tar.xz ]]; then
    tarball=$dir/qt6-mingw64-$version.tar.xz
    break
  fi
done
if [[ -n $tarball ]]; then
  if ! echo "$sha256  $tarball" | sha256sum -c --quiet - >&2; then
    echo "windows-qt: $tarball does not have the expected sha256" >&2
    exit 1
  fi
  rm -rf "$dest.tmp" && mkdir -p "$dest.tmp"
  tar -xJf "$tarball" -C "$dest.tmp"
else
  echo "windows-qt: no ready build of Qt for Windows found; building it from source (about an hour)" >&2
  sudo=""
  [[ $(id -u) -eq 0 ]] || sudo="sudo"
  rm -rf "$dest.tmp" && mkdir -p "$dest.tmp"
  $sudo env QT_WORK="$cache/qt-build" bash "$repo/scripts/build-qt-mingw.sh" "$dest.tmp/qt6-mingw64" >&2
  $sudo chown -R "$(id -u):$(id -g)" "$dest.tmp"
fi
rm -rf "$dest" && mv "$dest.tmp" "$dest"
touch "$dest/.complete"
echo "$dest/qt6-mingw64"
