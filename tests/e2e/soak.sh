#!/usr/bin/env bash
# Soak run, not part of CI: connects and disconnects ppp0 at random and kills the program
# with SIGKILL at random moments, ROUNDS times, checking data.db after each restart:
# integrity ok, no two records overlapping (nothing stored twice), nothing left open for
# long, and each crash costing at most one poll of connection time.
#   soak.sh PATH-TO-KELVORA [ROUNDS]
set -u
program="$(realpath "$1")"
rounds="${2:-200}"
. "$(dirname "$0")/common.sh"
setup_link

d=$(new_folder soak)
link_down
lost_max=0
start "$d"; p=$pid
sleep 2
for round in $(seq 1 "$rounds"); do
  # A few link changes, then a kill at a random moment.
  for change in $(seq 1 $((RANDOM % 3 + 1))); do
    if [ $((RANDOM % 2)) -eq 0 ]; then link_up; else link_down; fi
    sleep "0.$((RANDOM % 9 + 1))"
  done
  sleep "$((RANDOM % 3)).$((RANDOM % 10))"
  killed_at=$(date +%s.%N)
  kill -9 "$p"; wait "$p" 2>/dev/null
  last=$(sqlite3 "$d/data.db" "SELECT LastTime FROM open_segment")
  start "$d"; p=$pid
  sleep 2.2 # the start-up step stores what the crash left open
  [ "$(sqlite3 "$d/data.db" "PRAGMA integrity_check")" = ok ] || fail "round $round: integrity"
  overlaps=$(sqlite3 "$d/data.db" "
    WITH s AS (SELECT id, julianday(Data) * 86400 +
                 (CAST(substr(WremN, 1, instr(WremN, ':') - 1) AS INTEGER) * 3600 +
                  CAST(substr(WremN, instr(WremN, ':') + 1, 2) AS INTEGER) * 60 +
                  CAST(substr(WremN, -2) AS INTEGER)) AS b,
                 CAST(substr(Itogo, 1, instr(Itogo, ':') - 1) AS INTEGER) * 3600 +
                 CAST(substr(Itogo, instr(Itogo, ':') + 1, 2) AS INTEGER) * 60 +
                 CAST(substr(Itogo, -2) AS INTEGER) AS len FROM session)
    SELECT count(*) FROM s x JOIN s y ON x.id < y.id AND y.b < x.b + x.len AND x.b < y.b + y.len")
  [ "$overlaps" = 0 ] || fail "round $round: $overlaps records overlap (stored twice?)"
  if [ -n "$last" ]; then
    # The recovered record ends at the last checkpoint: at most a poll before the kill.
    now_ms=$(python3 -c "import time,datetime;t=float('$killed_at');d=datetime.datetime.fromtimestamp(t);print(int((d.hour*3600+d.minute*60+d.second)*1000+d.microsecond/1000))")
    lost=$(( (now_ms - last + 86400000) % 86400000 ))
    [ "$lost" -le 1600 ] || fail "round $round: $lost ms of connection lost by the crash"
    [ "$lost" -gt "$lost_max" ] && lost_max=$lost
  fi
  [ $((round % 20)) -eq 0 ] && echo "round $round: $(count "$d") records, at most $lost_max ms lost per crash"
done
stop "$p"
echo "Soak passed: $rounds kills, $(count "$d") records, at most $lost_max ms lost per crash."
