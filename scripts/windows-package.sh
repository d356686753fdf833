#!/usr/bin/env bash
# Packs the Windows build: windows-package.sh [BUILD_DIR]
# Makes <build>/package/Vexilor-<version>-win64.zip (the programs with the Qt and mingw runtime DLLs,
# the platform and style plugins, help and release notes) and Vexilor-<version>-setup.exe (NSIS).
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$repo/build/windows}" && pwd)
qt=$(sed -n 's/^VEXILOR_QT_WIN:PATH=//p' "$build/CMakeCache.txt")
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[[ -n $qt && -n $version ]] || { echo "windows-package: $build is not a configured Windows build" >&2; exit 2; }
name=Vexilor-$version
out=$build/package
stage=$out/$name
rm -rf "$out" && mkdir -p "$stage/platforms" "$stage/styles" "$stage/imageformats"

for program in vexilor.exe src/tools/vexilor-cli.exe src/tools/vexilor-icomsim.exe; do
  x86_64-w64-mingw32-strip -o "$stage/$(basename "$program")" "$build/$program"
done
for dll in Qt6Core Qt6Gui Qt6Widgets Qt6Network; do
  cp "$qt/bin/$dll.dll" "$stage/"
done
cp "$qt/plugins/platforms/qwindows.dll" "$stage/platforms/"
cp "$qt/plugins/styles/qwindowsvistastyle.dll" "$stage/styles/"
cp "$qt/plugins/imageformats/qico.dll" "$stage/imageformats/"
cp /usr/lib/gcc/x86_64-w64-mingw32/12-posix/libstdc++-6.dll /usr/lib/gcc/x86_64-w64-mingw32/12-posix/libgcc_s_seh-1.dll \
   /usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll "$stage/"
# The program looks for its help and release notes beside itself.
cp "$repo/res/WHATSNEW.HTM" "$stage/"
cp -r "$repo/res/help" "$stage/help"
for qm in "$build"/translations/*.qm; do
  [[ -e $qm ]] && cp "$qm" "$stage/"
done

(cd "$out" && rm -f "$name-win64.zip" && zip -qr9 "$name-win64.zip" "$name")

# The installer installs exactly the stage and its uninstaller removes exactly that.
nsis=$out/nsis
mkdir -p "$nsis"
cp "$build/windows/vexilor.ico" "$nsis/vexilor.ico"
python3 - "$stage" "$nsis" <<'PY'
import os, sys
stage, nsis = sys.argv[1], sys.argv[2]
install, remove, dirs = [], [], []
for root, subdirs, files in sorted(os.walk(stage)):
    subdirs.sort()
    rel = os.path.relpath(root, stage)
    win = "" if rel == "." else "\\" + rel.replace("/", "\\")
    if rel != ".":
        dirs.append(win)
    install.append(f'SetOutPath "$INSTDIR{win}"')
    for f in sorted(files):
        install.append(f'File "{os.path.join(root, f)}"')
        remove.append(f'Delete "$INSTDIR{win}\\{f}"')
install.append('SetOutPath "$INSTDIR"')
remove += [f'RMDir "$INSTDIR{d}"' for d in sorted(dirs, reverse=True)]
open(os.path.join(nsis, "install-files.nsh"), "w").write("\n".join(install) + "\n")
open(os.path.join(nsis, "uninstall-files.nsh"), "w").write("\n".join(remove) + "\n")
PY
makensis -V2 -DVERSION="$version" -DSTAGE="$nsis" -DOUTFILE="$out/$name-setup.exe" "$repo/res/windows/installer.nsi"
ls -l "$out/$name-win64.zip" "$out/$name-setup.exe"
