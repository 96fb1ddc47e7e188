#!/usr/bin/env bash
# The main window under a real window manager: what a start restores from int.ini is what
# the close writes back, run after run, and a first start shows the design's outer size.
# Usage: geometry_test.sh path/to/kelvora. Runs itself inside xvfb-run.
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

if [ -z "${KELVORA_IN_XVFB:-}" ]; then
  command -v xvfb-run >/dev/null || { echo "SKIPPED: xvfb-run is not installed"; exit 77; }
  KELVORA_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi
source "$here/desktop.sh"
need openbox xdotool xprop xwininfo
[ -x "${1:-}" ] || fail "no program at '${1:-}'"
start_openbox
install_copy "$1"

# The geometry part of int.ini, one key a line.
geometry() { grep -iE '^(Top|Left|Width|Height)=' "$work/bin/int.ini" | tr -d '\r'; }

# The window's frame as the window manager has it: the outer size, once it has framed it.
frame_of() {
  xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | grep -q '=' || return 1
  xwininfo -id "$1" -frame 2>/dev/null | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w "x" h}'
}
# Past the start-up step (its files made) and the frame settled: the same outer size at three
# looks in a row, 0.1 s apart (30 s at most).
settle() {
  local last="" same=0 now
  for _ in $(seq 300); do
    now="$(frame_of "$1")" || now=""
    if [ -n "$now" ] && [ "$now" = "$last" ] && [ -s "$work/data/data.db" ] && [ -s "$work/data/tarif.db" ]; then
      same=$((same + 1))
      [ "$same" -ge 2 ] && return 0
    else
      same=0
    fi
    last="$now"
    sleep 0.1
  done
  return 1
}

# One run: start, let the window manager frame the window, close it by the title bar's
# keyboard shortcut (as a user's close), wait for the end.
run_once() {
  start_program
  local id
  id="$(visible_window 40)" || fail "the main window did not show: $(xdotool search --pid "$pid" 2>/dev/null | while read -r w; do
      echo "$(xdotool getwindowname "$w") $(xwininfo -id "$w" 2>/dev/null | grep -E 'Map State|geometry') $(xprop -id "$w" WM_STATE _NET_WM_STATE 2>/dev/null | tr '\n' ' ')"
    done | tr "\n" "|")"
  settle "$id" || fail "the window's frame did not settle: $(frame_of "$id")"
  local frame
  frame="$(frame_of "$id")"
  echo "$frame" >>"$work/frames"
  # Docks match the window to its launcher by the class the desktop entry names.
  local class want
  class="$(xprop -id "$id" WM_CLASS 2>/dev/null | sed 's/^[^=]*= //')"
  want="$(sed -n 's/^StartupWMClass=//p' "$here/../../packaging/org.kelvora.Kelvora.desktop")"
  case "$class" in *"\"$want\""*) ;; *) fail "WM_CLASS $class is not the entry's StartupWMClass '$want'" ;; esac
  xdotool windowactivate --sync "$id" key --clearmodifiers alt+F4 2>/dev/null
  wait_ended 10 || { kill "$pid"; wait_ended 10 || fail "the program did not end"; }
  [ -f "$work/bin/int.ini" ] || fail "no int.ini after close"
}

run_once
first="$(geometry)"
expected="$(printf 'Top=110\nLeft=202\nWidth=613\nHeight=353')"
[ "$first" = "$expected" ] || fail "a first start wrote $(echo $first), not the design $(echo $expected)"
for run in 2 3; do
  run_once
  now="$(geometry)"
  [ "$now" = "$first" ] || fail "start $run wrote $(echo $now) after reading $(echo $first)"
done
grep -q '^CountStart=3' "$work/bin/int.ini" || fail "the start counter is not 3"
sort -u "$work/frames" | wc -l | grep -qx 1 || fail "the outer size changed between starts: $(cat "$work/frames" | tr '\n' ' ')"

# A moved and resized window comes back as it was left.
printf '[START]\r\nCountStart=0\r\n[Form1]\r\nTop=200\r\nLeft=300\r\nWidth=700\r\nHeight=420\r\n' >"$work/bin/int.ini"
before="$(geometry)"
run_once
[ "$(geometry)" = "$before" ] || fail "a stored 300,200 700x420 came back as $(echo $(geometry))"
echo "PASSED: the geometry read at start is written at close, run after run ($(head -n 1 "$work/frames") outside)"
