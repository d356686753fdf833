#!/usr/bin/env bash
# Runs the Windows build's tests under Wine in a fresh Wine prefix: windows-test.sh [BUILD_DIR] [ctest args]
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$repo/build/windows}
shift || true
prefix=$(cd "$build" && pwd)/wineprefix
export WINEDEBUG=-all WINEPREFIX=$prefix WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$prefix"
start=$(date +%s)
/usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1
/usr/lib/wine/wineserver -w
echo "Wine prefix made in $(($(date +%s) - start)) s: $prefix"
export VEXILOR_WINEPREFIX=$prefix
status=0
ctest --test-dir "$build" -j "${JOBS:-$(nproc)}" --output-on-failure "$@" || status=$?
/usr/lib/wine/wineserver -k 2>/dev/null || true
exit $status
