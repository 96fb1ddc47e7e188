# Shared by the desktop tests: the real program on an X server of its own (Xvfb) under the
# openbox window manager, as a user's desktop runs it. Sourced by a script that runs inside
# xvfb-run; each test skips (77) when a tool it needs is missing.

work="$(mktemp -d)"
pids=()

skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAILED: $*"; echo "--- program output"; tail -n 30 "$work"/*.log 2>/dev/null; exit 1; }
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

need() {
  for tool in "$@"; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
  done
}

# The window manager, once it manages windows. Openbox names itself on the root window
# (_NET_SUPPORTING_WM_CHECK) early in its start, before its event loop runs; a window mapped
# in between is never framed nor shown. --startup runs its command once openbox is up.
start_openbox() {
  # The X server first: openbox (like any client) ends at once when it cannot connect.
  for _ in $(seq 600); do
    xprop -root >/dev/null 2>&1 && break
    sleep 0.1
  done
  xprop -root >/dev/null 2>&1 || fail "the X server on display $DISPLAY does not answer"
  openbox --startup "touch $work/openbox.up" >"$work/openbox.log" 2>&1 &
  pids+=($!)
  # A limit for a machine at a standstill; openbox is up within a second on an idle one.
  for _ in $(seq 600); do
    [ -f "$work/openbox.up" ] && return 0
    kill -0 "${pids[-1]}" 2>/dev/null || fail "openbox ended at its start"
    sleep 0.1
  done
  fail "openbox did not start"
}

# A copy of the program in a folder of its own, so its int.ini (kept beside it) is ours.
# Sets $bin; the data folder is $work/data.
install_copy() {
  mkdir -p "$work/bin" "$work/data"
  cp "$1" "$work/bin/kelvora"
  bin="$work/bin/kelvora"
}

# Starts the program in the data folder; sets $pid.
start_program() {
  (cd "$work/data" && QT_QPA_PLATFORM=xcb exec "$bin") >>"$work/kelvora.log" 2>&1 &
  pid=$!
  pids+=("$pid")
}

# The main window's X id, once it is mapped (empty when it is not, after $1 seconds).
visible_window() {
  local tries=$(( ${1:-10} * 10 ))
  for _ in $(seq "$tries"); do
    local id
    id="$(xdotool search --onlyvisible --pid "$pid" --name '^Zuzevize$' 2>/dev/null | head -n 1)"
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

# Waits until the program has ended (at most $1 seconds).
wait_ended() {
  for _ in $(seq $(( ${1:-10} * 10 ))); do
    kill -0 "$pid" 2>/dev/null || { wait "$pid" 2>/dev/null; return 0; }
    sleep 0.1
  done
  return 1
}
