#!/usr/bin/env bash
# End to end, the link choice: in a network namespace an always-up wlan0 (one end of a veth
# pair) holds an address all the time, and a tun ppp0 has carrier only while a dialler holds
# it open. kelvora.ini picks what counts; data.db is checked with sqlite3.
#   link_mode_test.sh PATH-TO-KELVORA
set -u
program="$(realpath "$1")"
here="$(dirname "$(realpath "$0")")"
. "$here/common.sh"
setup_link python3
[ -e /dev/net/tun ] || skip "no /dev/net/tun"
# No network manager to ask: the metered mode counts ppp*, wwan* and wwp*.
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$work/no-system-bus"

in_ns() { ip netns exec "$ns" "$@"; }
in_ns ip link add wlan0 type veth peer name wlan0-peer || skip "no veth in this kernel"
in_ns ip addr add 192.168.77.2/24 dev wlan0
in_ns ip link set wlan0-peer up
in_ns ip link set ppp0 up # but without carrier until it is held

holder=""
dial() { # ppp0 gets carrier
  # Not through in_ns: a function in the background is a subshell, and $! would be its pid.
  ip netns exec "$ns" /usr/bin/python3 "$here/hold_tun.py" ppp0 >"$work/holder.log" 2>&1 &
  holder=$!; pids+=("$holder")
  for _ in $(seq 50); do grep -q "^holding"  "$work/holder.log" 2>/dev/null && return; sleep 0.1; done
  fail "the tun holder did not start: $(cat "$work/holder.log")"
}
hang_up() { kill -TERM "$holder"; wait "$holder" 2>/dev/null; holder=""; }
wifi() { in_ns ip link set wlan0 "$1"; }

running() { in_ns ip link show "$1" | grep -q "LOWER_UP"; }

# folder MODE [INTERFACES]: a fresh data folder with that link choice.
folder() {
  local d; d=$(new_folder "$1-$RANDOM")
  [ "$1" = none ] || printf '[Link]\nMode=%s\nInterfaces=%s\n' "$1" "${2:-}" >"$d/kelvora.ini"
  echo "$d"
}

# two_calls DIR calls|whole: two dial-up periods with a pause between, while wlan0 may be up
# throughout. With "calls" each period is a connection of its own, kept about 2 s and stored
# before the next step; with "whole" one connection spans the run, and each step lasts while
# the program keeps it about 3 s more.
two_calls() {
  local d="$1" p
  start "$d"; p=$pid
  wait_for 60 has_version "$d" data.db 4
  if [ "$2" = calls ]; then
    dial; wait_for 60 open_for "$d" 2000; hang_up; wait_for 60 has_records "$d" 1
    dial; wait_for 60 open_for "$d" 2000; hang_up; wait_for 60 has_records "$d" 2
  else
    wait_for 60 open_for "$d" 2000
    dial; wait_for 60 open_for "$d" 5000; hang_up; wait_for 60 open_for "$d" 8000
    dial; wait_for 60 open_for "$d" 11000; hang_up; wait_for 60 open_for "$d" 13000
  fi
  stop "$p"
}

echo "== a tun nobody holds has no carrier: no connection in any mode"
wifi down
running ppp0 && fail "ppp0 should have no carrier while nobody holds it"
for mode in none all chosen metered; do
  d=$(folder "$mode" "ppp*")
  start "$d"; p=$pid
  # Nothing should happen, so there is nothing to wait for but the start-up step; the look
  # then covers a few polls.
  wait_for 60 has_version "$d" data.db 4; sleep 3
  stop "$p"
  [ "$(count "$d")" = 0 ] || fail "$mode: ppp0 without carrier was counted: $(rows "$d")"
done
dial; running ppp0 || fail "a held ppp0 should have carrier"; hang_up

echo "== all: the always-up wlan0 counts, as before"
wifi up
d=$(folder all)
two_calls "$d" whole
rows "$d"
[ "$(count "$d")" = 1 ] || fail "all: expected one record for the whole run"
[ -n "$(sqlite3 "$d/data.db" "SELECT 1 FROM session WHERE Itogo >= '0:00:10'")" ] \
  || fail "all: the record should span the run"

echo "== no kelvora.ini at all: the same as all"
d=$(folder none)
two_calls "$d" whole
[ "$(count "$d")" = 1 ] || fail "no file: expected one record, got: $(rows "$d")"
[ ! -e "$d/kelvora.ini" ] || fail "no file: the program should not write kelvora.ini by itself"

for choice in "chosen ppp*" "chosen ppp0, wwan*" "metered"; do
  echo "== $choice: only the ppp0 periods"
  # shellcheck disable=SC2086
  d=$(folder ${choice%% *} "${choice#* }")
  two_calls "$d" calls
  rows "$d"
  [ "$(count "$d")" = 2 ] || fail "$choice: expected two records, one per call"
  [ "$(sqlite3 "$d/data.db" "SELECT count(*) FROM session WHERE Itogo BETWEEN '0:00:02' AND '0:00:04'")" = 2 ] \
    || fail "$choice: each record should last about one call"
done

echo "== chosen wlan0: an address given and taken away while the program runs"
d=$(folder chosen wlan0)
in_ns ip addr del 192.168.77.2/24 dev wlan0
start "$d"; p=$pid
wait_for 60 has_version "$d" data.db 4
in_ns ip addr add 192.168.77.3/24 dev wlan0; wait_for 60 open_for "$d" 2000
in_ns ip addr del 192.168.77.3/24 dev wlan0; wait_for 60 has_records "$d" 1
stop "$p"
in_ns ip addr add 192.168.77.2/24 dev wlan0
rows "$d"
[ "$(count "$d")" = 1 ] || fail "chosen wlan0: expected one record, while the address was held"
[ "$(sqlite3 "$d/data.db" "SELECT count(*) FROM session WHERE Itogo BETWEEN '0:00:02' AND '0:00:04'")" = 1 ] \
  || fail "chosen wlan0: the record should last about as long as the address"

echo "== chosen wlan0: counted while up, not once the cable is out"
d=$(folder chosen wlan0)
start "$d"; p=$pid
wait_for 60 open_for "$d" 2000; in_ns ip link set wlan0-peer down; wait_for 60 has_records "$d" 1
running wlan0 && fail "wlan0 should lose carrier with its peer down"
stop "$p"
rows "$d"
[ "$(count "$d")" = 1 ] || fail "chosen wlan0: expected one record ended by the lost carrier"
[ "$(sqlite3 "$d/data.db" "SELECT Itogo < '0:00:05' FROM session")" = 1 ] \
  || fail "chosen wlan0: the record should end when the carrier went"

echo "== none: ppp0 listed behind a hundred addressed interfaces without carrier"
# As on a machine with many container bridges: the kernel lists ppp0's address last.
in_ns ip link del ppp0
for i in $(seq 100); do
  echo "tuntap add dev br$i mode tun"
  echo "addr add 10.100.$((i / 250)).$((i % 250 + 1))/32 dev br$i"
  echo "link set br$i up"
done >"$work/bridges"
in_ns ip -batch "$work/bridges" || fail "could not make the hundred interfaces"
in_ns ip tuntap add dev ppp0 mode tun
in_ns ip addr add 10.64.0.2/32 dev ppp0
in_ns ip link set ppp0 up
running wlan0 && fail "wlan0 should still be without carrier"
d=$(folder none)
two_calls "$d" calls
rows "$d"
[ "$(count "$d")" = 2 ] || fail "behind a hundred interfaces: expected two records, one per call"

echo "All link-choice checks passed."
