# Shared by the end-to-end test and the soak run: a network namespace of our own in which a
# tun device named ppp0 plays the dial-up link, and the real program inside it.
# Needs root, iproute2, sqlite3 and (for the test) faketime.

ns="kelvora-e2e-$$"
work="$(mktemp -d)"
pids=()

skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAILED: $*"; echo "--- program output"; cat "$work"/*.log 2>/dev/null | grep -v XDG | tail -n 30; exit 1; }

cleanup() {
  for pid in "${pids[@]}"; do kill -9 "$pid" 2>/dev/null; done
  ip netns del "$ns" 2>/dev/null
  rm -rf "$work"
}

setup_link() {
  [ "$(id -u)" -eq 0 ] || skip "the end-to-end test needs root to make a network namespace"
  for tool in ip sqlite3 "$@"; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
  done
  [ -n "$faketime_lib" ] || skip "libfaketime is not installed"
  ip netns add "$ns" 2>/dev/null || skip "network namespaces are not available here"
  trap cleanup EXIT
  ip netns exec "$ns" ip tuntap add dev ppp0 mode tun || skip "no tun device in this kernel"
  ip netns exec "$ns" ip addr add 10.64.0.2/32 dev ppp0
}

faketime_lib="$(ls /usr/lib/*/faketime/libfaketime.so.1 2>/dev/null | head -n 1)"

# A tun has carrier only while a process holds it open, as a dialler does: link_up starts
# such a holder, link_down ends it. The holder is started by ip netns exec itself, so that
# $! is the holder and not a subshell.
holder=""
tun_fifo="" # when set, the holder moves traffic as told through this FIFO (see move)
link_up() {
  ip netns exec "$ns" ip link set ppp0 up
  [ -n "$holder" ] && return
  ip netns exec "$ns" /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/hold_tun.py" ppp0 $tun_fifo >"$work/holder.log" 2>&1 &
  holder=$!; pids+=("$holder")
  for _ in $(seq 50); do grep -q "^holding" "$work/holder.log" 2>/dev/null && return; sleep 0.1; done
}
link_down() {
  [ -n "$holder" ] && { kill -TERM "$holder"; wait "$holder" 2>/dev/null; holder=""; }
  ip netns exec "$ns" ip link set ppp0 down
}

# move receive|send COUNT SIZE: that many IPv4 packets of SIZE bytes over the link, each way
# as the holder tells it; returns once they have moved.
move() {
  local before; before=$(grep -c "^done" "$work/holder.log")
  echo "$*" > "$tun_fifo"
  wait_for 60 moved_more_than "$before"
}
moved_more_than() { [ "$(grep -c "^done" "$work/holder.log")" -gt "$1" ]; }

# A fresh data folder polled every second.
new_folder() {
  local dir="$work/$1"
  mkdir -p "$dir"
  printf '0\r\n\r\n1\r\n' > "$dir/options.dn"
  echo "$dir"
}

# start DIR [FAKE-START-TIME]: the program in the namespace, its pid in $pid.
start() {
  local dir="$1" at="${2:-}"
  local fake=()
  # libfaketime preloaded straight into the program (the faketime wrapper would stand
  # between the program and our signals); the monotonic clock stays real.
  [ -n "$at" ] && fake=(LD_PRELOAD="$faketime_lib" FAKETIME="@$at" FAKETIME_DONT_FAKE_MONOTONIC=1)
  (cd "$dir" && exec env QT_QPA_PLATFORM=offscreen "${fake[@]}" \
      ip netns exec "$ns" "$program" >>"$dir/run.log" 2>&1) &
  pid=$!
  pids+=("$pid")
}

# start_moving DIR OFFSET-FILE: the program under libfaketime reading its offset from a file
# at every look, so that writing a new offset moves the wall and monotonic clocks together,
# as if that much time had passed.
start_moving() {
  local dir="$1" offsets="$2"
  (cd "$dir" && exec env QT_QPA_PLATFORM=offscreen LD_PRELOAD="$faketime_lib" \
      FAKETIME_TIMESTAMP_FILE="$offsets" FAKETIME_NO_CACHE=1 \
      ip netns exec "$ns" "$program" >>"$dir/run.log" 2>&1) &
  pid=$!
  pids+=("$pid")
}

stop() { kill -TERM "$1" 2>/dev/null; wait "$1" 2>/dev/null; }
# The sum of the records' durations in seconds.
seconds() {
  sqlite3 "$1/data.db" "SELECT ifnull(sum(substr(Itogo, 1, instr(Itogo, ':') - 1) * 3600
    + substr(Itogo, instr(Itogo, ':') + 1, 2) * 60 + substr(Itogo, -2)), 0) FROM session"
}

rows() { sqlite3 "$1/data.db" "SELECT Data||' '||WremN||' '||WremW||' '||Itogo||' '||Tarif FROM session ORDER BY id"; }
count() { sqlite3 "$1/data.db" "SELECT count(*) FROM session"; }

# wait_for SECONDS COMMAND...: until the command succeeds, looked at every 0.1 s; the test
# fails when it has not within that many seconds (a limit for a machine at a standstill,
# not a duration anything depends on).
wait_for() {
  local limit="$1"; shift
  for _ in $(seq $((limit * 10))); do "$@" 2>/dev/null && return 0; sleep 0.1; done
  fail "waited ${limit} s for: $*"
}
# These look only at a file the program has made: sqlite3 would make an empty one, which the
# program, starting at that moment, could take for a file of another program.
# The program has kept the connection being timed for at least MS milliseconds.
open_for() {
  [ -f "$1/data.db" ] && [ "$(sqlite3 "$1/data.db" "SELECT count(*) FROM open_segment WHERE LastDate > StartDate
     OR LastTime - StartTime >= $2")" = 1 ]
}
# The folder's FILE is of format N: the program has opened (and brought up to date) it.
has_version() { [ -f "$1/$2" ] && [ "$(sqlite3 "$1/$2" "PRAGMA user_version")" = "$3" ]; }
# The folder's data.db holds N records.
has_records() { [ -f "$1/data.db" ] && [ "$(count "$1")" = "$2" ]; }
