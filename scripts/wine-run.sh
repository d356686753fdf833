#!/usr/bin/env bash
# Runs a cross-built Windows program under Wine: wine-run.sh QT_DIR PROGRAM [ARGS...]
# The Wine prefix is $VEXILOR_WINEPREFIX (scripts/windows-test.sh makes a fresh one per run); Qt's DLLs
# and plugins and the mingw runtime are found through WINEPATH, so the build tree needs no copies.
set -euo pipefail
qt=$1
shift
export WINEDEBUG=${WINEDEBUG:--all}
export WINEPREFIX=${VEXILOR_WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/vexilor/wineprefix}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
runtime=(
  "$qt/bin"
  /usr/lib/gcc/x86_64-w64-mingw32/12-posix
  /usr/x86_64-w64-mingw32/lib
)
winepath="Z:${runtime[0]}"
for dir in "${runtime[@]:1}"; do
  winepath+=";Z:$dir"
done
export WINEPATH="$winepath${WINEPATH:+;$WINEPATH}"
export QT_PLUGIN_PATH="Z:$qt/plugins"
exec /usr/lib/wine/wine64 "$@"
