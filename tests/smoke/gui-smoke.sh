#!/usr/bin/env bash
# A smoke run of the real program under Xvfb. The keys go through the X server (xdotool's XTEST),
# as a user's do, so faults in the platform's key handling show here; QTest events skip it.
# It opens the demo intercom from a simulated controller, allows and denies keypanels of the user
# "Default" with the keyboard, undoes, redoes, saves, quits and checks the restrictions file and its
# CRC.
#
# usage: gui-smoke.sh <vexilor> <vexilor-cli> <vexilor-icomsim> <source dir>
# Exits 77 (skipped) when Xvfb, openbox, xdotool or xprop (x11-utils) is missing.
set -euo pipefail

program=$1 cli=$2 sim=$3 source=$4
for tool in Xvfb openbox xdotool xprop; do
  command -v "$tool" >/dev/null || { echo "smoke: $tool is not installed; skipped"; exit 77; }
done

work=$(mktemp -d)
pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  for pid in "${pids[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "smoke: $*" >&2
  if command -v import >/dev/null && [[ -n ${DISPLAY:-} ]]; then
    import -window root "$work/screen.png" 2>/dev/null && cp "$work/screen.png" "${TMPDIR:-/tmp}/vexilor-smoke-failure.png" &&
      echo "smoke: the screen is in ${TMPDIR:-/tmp}/vexilor-smoke-failure.png" >&2
  fi
  [[ -f $work/program.log ]] && sed 's/^/program: /' "$work/program.log" >&2
  exit 1
}

# Waits up to $1 seconds for the command after it to succeed.
wait_for() {
  local seconds=$1
  shift
  local deadline=$((SECONDS + seconds))
  until "$@"; do
    ((SECONDS < deadline)) || return 1
    sleep 0.1
  done
}

# An X server of our own on a free display; it writes the display number once it accepts clients.
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
read -r -t 30 display <"$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=:$display
openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
wait_for 30 xprop -root _NET_SUPPORTING_WM_CHECK >/dev/null 2>&1 || fail "openbox did not start"

# The controller: the fixture configuration's sizes and alphas under the name DEMO, on a loopback
# address of its own (another run may hold one: the next is tried).
start_simulator() {
  "$sim" --cfg "$source/tests/fixtures/cfg/setup-edit.cfg" --address "$1" --port 27410 --name DEMO \
    --time-limit-ms 120000 >"$work/sim.log" 2>&1 &
  sim_pid=$!
  wait_for 20 bash -c "grep -q '^listening on' '$work/sim.log' || ! kill -0 $sim_pid 2>/dev/null" &&
    grep -q '^listening on' "$work/sim.log"
}
for _ in 1 2 3 4 5 6 7 8; do
  address=127.0.$((RANDOM % 200 + 40)).$((RANDOM % 250 + 2))
  start_simulator "$address" && break
  wait "$sim_pid" 2>/dev/null || true
done
pids+=("$sim_pid")
grep -q '^listening on' "$work/sim.log" || fail "the simulator did not start: $(cat "$work/sim.log")"

# The program's own settings, directories and data folder; discovery asks only the simulator.
mkdir -p "$work/cfg" "$work/res" "$work/tovrin" "$work/config/Halvo" "$work/data"
cp "$source/tests/fixtures/menus/win64/Tovrin.exe" "$work/tovrin/"
"$cli" cfg new DEMO --main "$address" -o "$work/cfg/DEMO.cfg" >/dev/null
cat >"$work/config/Halvo/KestovaV2.conf" <<EOF
[Settings]
Directories\\TovrinExeDirectory=$work/tovrin/Tovrin.exe
Directories\\ResFilesDirectory=$work/res
Directories\\CfgFilesDirectory=$work/cfg
Preferences\\ShowWelcome=N
Preferences\\DefaultIntercom=DEMO
Preferences\\DiscoveryTargets=$address
EOF
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
unset QT_QPA_PLATFORM

"$program" -nologo -i DEMO >"$work/program.log" 2>&1 &
program_pid=$!
pids+=("$program_pid")
# The main window appears once the intercom is open (its configuration refreshed from the simulator).
# A search can fail while another window (the refresh dialog) goes away: it is asked again.
main_window() { xdotool search --onlyvisible --name 'DEMO.* - Vexilor' 2>/dev/null | head -n 1 | grep .; }
wait_for 60 main_window >/dev/null || fail "the main window did not appear"
window=$(main_window)
timeout 30 xdotool windowactivate --sync "$window" || fail "the main window cannot be activated"

keys() { xdotool key --clearmodifiers --delay 120 "$@"; }

# Ctrl+Page Down walks the tree down to the user "Default" (Intercom, Studios, Classes, Users,
# Default); Shift+Page Down takes the next category, "Keypanels"; F6 moves into the list, where Down
# selects the next keypanel and Ctrl with the pad's + or - allows or denies it. Keypanel 2 is
# allowed; denying 3 is undone; denying 4 is undone and redone.
keys ctrl+Next ctrl+Next ctrl+Next ctrl+Next
keys shift+Next
keys F6 Down ctrl+KP_Add
keys Down ctrl+KP_Subtract ctrl+z
keys Down ctrl+KP_Subtract ctrl+z ctrl+y
res=$work/res/DEMO.res
keys ctrl+s
wait_for 30 test -s "$res" || fail "Ctrl+S wrote no restrictions file"
keys alt+F4
wait_for 30 bash -c "! kill -0 $program_pid 2>/dev/null" || fail "the program did not quit"
wait "$program_pid" || fail "the program ended with an error"

"$cli" res check "$res" >/dev/null || fail "the saved file does not pass its CRC check: $("$cli" res check "$res" 2>&1)"
"$cli" res dump "$res" >/dev/null || fail "the saved file does not read back: $("$cli" res dump "$res" 2>&1)"
section=$(tr -d '\r' <"$res" | sed -n '/^\[USER "Default"\]/,/^$/p')
expected=$'[USER "Default"]\n//Inheritance\nKP.Edit -= 4\nKP.Edit += 2'
[[ $section == "$expected" ]] || fail "the saved user is not what the keys made: $section"
echo "smoke: the keys reached the program, and the saved file checks"
