#!/usr/bin/env bash
# The tray host coming and going while the program runs (trayer as the panel): started
# minimised with no tray, the window goes to the tray once a host appears; when the host
# goes away, the hidden window comes back on the screen.
# Usage: tray_host_test.sh path/to/kelvora. Runs itself inside xvfb-run.
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

if [ -z "${KELVORA_IN_XVFB:-}" ]; then
  command -v xvfb-run >/dev/null || { echo "SKIPPED: xvfb-run is not installed"; exit 77; }
  KELVORA_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi
source "$here/desktop.sh"
need openbox trayer xdotool xprop
[ -x "${1:-}" ] || fail "no program at '${1:-}'"
start_openbox
install_copy "$1"
# No session bus: the icon goes through the X11 tray protocol that trayer speaks.
unset DBUS_SESSION_BUS_ADDRESS

# The main window's state as the window manager keeps it: Normal, Iconic, or none when the
# program has withdrawn (hidden) it.
state() {
  local id
  id="$(xdotool search --pid "$pid" --name '^Zuzevize$' 2>/dev/null | head -n 1)"
  [ -n "$id" ] || { echo gone; return; }
  local s
  s="$(xprop -id "$id" WM_STATE 2>/dev/null | sed -n 's/.*window state: //p')"
  echo "${s:-Withdrawn}"
}
wait_state() { # wanted, seconds
  for _ in $(seq $(( $2 * 10 ))); do
    [ "$(state)" = "$1" ] && return 0
    sleep 0.1
  done
  return 1
}

printf '1\r\n\r\n3\r\n' >"$work/data/options.dn" # start minimised
start_program
visible_window 40 >/dev/null || fail "the main window did not show"
wait_state Iconic 6 || fail "with no tray the start-minimised window is $(state), not minimised"

trayer --expand false --widthtype pixel --width 64 --heighttype pixel --height 24 \
  >"$work/trayer.log" 2>&1 &
tray=$!
pids+=("$tray")
wait_state Withdrawn 8 || fail "a tray host appeared, but the window is $(state), not hidden to it"

kill "$tray"
wait "$tray" 2>/dev/null
wait_state Normal 8 || fail "the tray host went away, but the hidden window is $(state)"

kill "$pid" # asked to end: closes the ordinary way
wait_ended 10 || fail "the program did not end"

# Started again, from the menu say, while it is hidden in the tray: the running copy shows
# its window and the second start ends at once, without a word.
trayer --expand false --widthtype pixel --width 64 --heighttype pixel --height 24 \
  >>"$work/trayer.log" 2>&1 &
pids+=($!)
start_program
wait_state Withdrawn 20 || fail "started minimised beside a tray, the window is $(state)"
(cd "$work/data" && QT_QPA_PLATFORM=xcb timeout 20 "$bin") >"$work/second.log" 2>&1
second=$?
[ "$second" -eq 0 ] || fail "a second start beside the running copy exited $second: $(cat "$work/second.log")"
wait_state Normal 8 || fail "a second start left the window $(state), not shown"
kill -0 "$pid" 2>/dev/null || fail "the running copy ended"
kill "$pid"
wait_ended 10 || fail "the program did not end"
echo "PASSED: the window followed the tray host as it came and went, and came back at a second start"
