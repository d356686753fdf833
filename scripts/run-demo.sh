#!/usr/bin/env bash
# The demo: starts the editor for intercom DEMO, whose controller a simulator plays on 127.0.0.2.
# Everything lives under <build>/demo: configuration and restrictions directories, a Tovrin
# executable with menus (from the test fixtures), the program's own settings and its data folder, so
# the user's real settings and file type registrations are never touched. Discovery asks only the
# simulator's address: nothing the demo does leaves the machine. QT_QPA_PLATFORM=offscreen works for
# a smoke test; extra arguments go to the program (for example -nologo).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-build/default}" && pwd)
shift || true

cli=$build/src/tools/vexilor-cli
sim=$build/src/tools/vexilor-icomsim
program=$build/vexilor
for tool in "$cli" "$sim" "$program"; do
  [[ -x $tool ]] || { echo "run-demo: $tool is missing; build first (make build)" >&2; exit 2; }
done

demo=$build/demo
mkdir -p "$demo/cfg" "$demo/res" "$demo/tovrin" "$demo/config/Halvo" "$demo/data"
[[ -f $demo/cfg/DEMO.cfg ]] || "$cli" cfg new DEMO --main 127.0.0.2 -o "$demo/cfg/DEMO.cfg"
cp -f "$root/tests/fixtures/menus/win64/Tovrin.exe" "$root/tests/fixtures/menus/win64/tvres1041.dll" "$demo/tovrin/"

# The program registers its file type with the desktop in the data folder: the demo's own.
export XDG_DATA_HOME=$demo/data

# The settings, in the format QSettings keeps them on this desktop. The directories are rewritten on
# every run (the build folder may have moved); everything else the program saved is kept.
export XDG_CONFIG_HOME=$demo/config
settings=$XDG_CONFIG_HOME/Halvo/KestovaV2.conf
python3 - "$settings" "$demo" <<'PY'
import configparser, sys
path, demo = sys.argv[1], sys.argv[2]
ini = configparser.RawConfigParser(strict=False, delimiters=("=",), interpolation=None)
ini.optionxform = str
ini.read(path)
if not ini.has_section("Settings"):
    ini.add_section("Settings")
s = ini["Settings"]
s["Directories\\TovrinExeDirectory"] = demo + "/tovrin/Tovrin.exe"
s["Directories\\ResFilesDirectory"] = demo + "/res"
s["Directories\\CfgFilesDirectory"] = demo + "/cfg"
s["Preferences\\ShowWelcome"] = "N"
s["Preferences\\DiscoveryTargets"] = "127.0.0.2"
s.setdefault("Preferences\\DefaultIntercom", "DEMO")
with open(path, "w") as f:
    ini.write(f, space_around_delimiters=False)
PY

# The controller: the fixture configuration's sizes and alphas under the name DEMO.
log=$demo/icomsim.log
"$sim" --cfg "$root/tests/fixtures/cfg/setup-edit.cfg" --address 127.0.0.2 --port 27410 --name DEMO >"$log" 2>&1 &
simulator=$!
trap 'kill "$simulator" 2>/dev/null || true; wait "$simulator" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  grep -q '^listening on' "$log" && break
  kill -0 "$simulator" 2>/dev/null || { cat "$log" >&2; exit 1; }
  sleep 0.1
done
grep -q '^listening on' "$log" || { echo "run-demo: the simulator did not start" >&2; exit 1; }

"$program" -i DEMO "$@"
