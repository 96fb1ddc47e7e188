#!/usr/bin/env bash
# End to end: the tariff rules on a real link. A price on weekdays only (36 an hour, one
# kopeck a second), billed for each started minute with a fee of 0,50 per connection; the
# real program in a network namespace under libfaketime, the records' Summ checked against
# the rule with sqlite3.
#   tariff_rules_test.sh PATH-TO-KELVORA
set -u
program="$(realpath "$1")"
. "$(dirname "$0")/common.sh"
setup_link faketime

# The sum as the program writes it: no trailing zeros, a decimal comma.
money() { awk -v x="$1" 'BEGIN { s = sprintf("%.2f", x); sub(/0+$/, "", s); sub(/\.$/, "", s); sub(/\./, ",", s); print s }'; }
# Seconds of a time text.
secs() { awk -F: '{ print $1 * 3600 + $2 * 60 + $3 }' <<<"$1"; }
summs() { sqlite3 "$1/data.db" "SELECT group_concat(Summ, ' ') FROM (SELECT Summ FROM session ORDER BY id)"; }

# A folder whose tarif.db is of the first version, as an older program left it: the
# program upgrades it (after a copy) at its first start; the rules are then set by hand.
rules_folder() {
  local d
  d=$(new_folder "$1")
  sqlite3 "$d/tarif.db" "CREATE TABLE tariff(id INTEGER PRIMARY KEY AUTOINCREMENT, WrN TEXT, WrK TEXT, Cost REAL);
    INSERT INTO tariff(WrN, WrK, Cost) VALUES ('00:00:00.000', '23:59:59.999', 36);
    PRAGMA user_version = 1;"
  link_down
  start "$d" "2026-12-01 09:00:00"
  # The start-up step opens (and upgrades) the files; a slow build may take a while to get there.
  wait_for 60 has_version "$d" tarif.db 2; wait_for 60 has_version "$d" data.db 4
  stop "$pid"
  [ "$(sqlite3 "$d/tarif.db" "PRAGMA user_version")" = 2 ] || fail "tarif.db should be upgraded to version 2"
  ls "$d/backup" | grep -q '^tarif-v1-' || fail "no copy of the first-version tarif.db: $(ls "$d/backup")"
  [ "$(sqlite3 "$d/backup/$(ls "$d/backup" | grep '^tarif-v1-' | head -n 1)" "SELECT WrN||' '||WrK||' '||Cost FROM tariff")" \
    = "00:00:00.000 23:59:59.999 36.0" ] || fail "the copy should hold the old rows"
  sqlite3 "$d/tarif.db" "UPDATE tariff SET Days = '12345'; UPDATE billing SET Unit = 60, Fee = 0.5;
    INSERT INTO holiday(Date) VALUES ('2026-12-08');"
  echo "$d"
}

echo "== a weekday: each started minute at 36 an hour, and the fee"
d=$(rules_folder weekday)
link_up
start "$d" "2026-12-07 10:00:00"; p=$pid   # a Monday
wait_for 60 open_for "$d" 5000; link_down; wait_for 60 has_records "$d" 1
stop "$p"
rows "$d"; summs "$d"
[ "$(count "$d")" = 1 ] || fail "expected one record"
[ "$(summs "$d")" = "1,1" ] || fail "a minute at 36 an hour and 0,50 should be 1,1, not $(summs "$d")"
[ "$(sqlite3 "$d/data.db" "SELECT Tarif FROM session")" = 36 ] || fail "the weekday rate should be 36"
itogo=$(sqlite3 "$d/data.db" "SELECT Itogo FROM session")
[ "$(secs "$itogo")" -lt 60 ] || fail "Itogo should show the real time, not the billed minute: $itogo"

echo "== a Saturday and a holiday: no price, the fee alone"
for day in "2026-12-12 10:00:00" "2026-12-08 10:00:00"; do
  d=$(rules_folder "free-${day%% *}")
  link_up
  start "$d" "$day"; p=$pid
  wait_for 60 open_for "$d" 3000; link_down; wait_for 60 has_records "$d" 1
  stop "$p"
  rows "$d"
  [ "$(sqlite3 "$d/data.db" "SELECT Tarif||' '||Summ FROM session")" = "0 0,5" ] \
    || fail "on $day expected rate 0 and the fee alone: $(rows "$d") $(summs "$d")"
done

echo "== Friday into Saturday: split at midnight, one fee, the step at the last rate"
d=$(rules_folder friday)
link_up
start "$d" "2026-12-11 23:59:52"; p=$pid
# Friday is stored at midnight; Saturday is kept on line a while before the link goes.
wait_for 60 has_records "$d" 1; wait_for 60 open_for "$d" 3000
link_down; wait_for 60 has_records "$d" 2
stop "$p"
rows "$d"; summs "$d"
[ "$(sqlite3 "$d/data.db" "SELECT group_concat(Data||' '||Tarif, ', ') FROM (SELECT * FROM session ORDER BY id)")" \
  = "2026-12-11 36, 2026-12-12 0" ] || fail "expected Friday at 36 then Saturday at 0"
first=$(sqlite3 "$d/data.db" "SELECT Itogo FROM session ORDER BY id LIMIT 1")
expected="$(money "$(awk -v s="$(secs "$first")" 'BEGIN { print s / 100 + 0.5 }')") 0"
[ "$(summs "$d")" = "$expected" ] || fail "expected $expected, got $(summs "$d")"

echo "== killed while connected: the next start charges the connection by the same rule"
d=$(rules_folder crash)
link_up
start "$d" "2026-12-09 14:00:00"; p=$pid   # a Wednesday
wait_for 60 open_for "$d" 5000
kill -9 "$p"; wait "$p" 2>/dev/null
[ "$(sqlite3 "$d/data.db" "SELECT Unit||' '||Fee FROM open_segment")" = "60 0.5" ] \
  || fail "the checkpoint should keep the connection's terms"
link_down
start "$d" "2026-12-09 14:00:30"; p=$pid
wait_for 60 has_records "$d" 1
stop "$p"
rows "$d"; summs "$d"
[ "$(summs "$d")" = "1,1" ] || fail "the recovered connection should cost 1,1, not $(summs "$d")"

# The connection being timed, not the damaged checkpoint (which began at 1000), has been kept
# at least MS milliseconds.
new_open_for() {
  [ "$(sqlite3 "$1/data.db" "SELECT count(*) FROM open_segment WHERE StartTime <> 1000
     AND (LastDate > StartDate OR LastTime - StartTime >= $2)")" = 1 ]
}

echo "== a damaged checkpoint is told and set aside: a step of 0, a last moment in 2099, a start long before it"
for values in "'2026-12-07', 1000, '2026-12-07', 9000, '36', 0" \
              "'2026-12-07', 1000, '2099-12-31', 9000, '36', 1" \
              "'2024-03-12', 1000, '2026-12-07', 9000, '36', 1"; do
  n=$((${n:-0} + 1))
  d=$(rules_folder "damaged-$n")
  sqlite3 "$d/data.db" "INSERT INTO open_segment(id, StartDate, StartTime, LastDate, LastTime, Rate, Unit)
    VALUES(1, $values)"
  link_up
  start "$d" "2026-12-09 15:00:00"; p=$pid
  # The damaged checkpoint stays until the next one takes its place: that one is looked at.
  wait_for 60 new_open_for "$d" 3000; link_down; wait_for 60 has_records "$d" 1
  stop "$p"
  rows "$d"
  [ "$(count "$d")" = 1 ] || fail "recording should go on past a damaged checkpoint ($values), storing nothing of it"
  [ "$(summs "$d")" = "1,1" ] || fail "the next connection should cost 1,1, not $(summs "$d")"
done

echo "All tariff-rule checks passed."
