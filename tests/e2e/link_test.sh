#!/usr/bin/env bash
# End to end on a real link: the real program, headless, in a network namespace where ppp0
# comes up and goes down, with the clock set by libfaketime; data.db checked with sqlite3.
#   link_test.sh PATH-TO-KELVORA
set -u
program="$(realpath "$1")"
. "$(dirname "$0")/common.sh"
setup_link faketime

echo "== one record per connection"
d=$(new_folder one)
link_down
start "$d" "2026-12-07 10:00:00"; p=$pid
wait_for 60 has_version "$d" data.db 4
link_up; wait_for 60 open_for "$d" 3000; link_down; wait_for 60 has_records "$d" 1
stop "$p"
[ "$(count "$d")" = 1 ] || fail "expected one record, got: $(rows "$d")"
rows "$d"

echo "== a split where the tariff changes"
d=$(new_folder split)
sqlite3 "$d/tarif.db" "CREATE TABLE tariff(id INTEGER PRIMARY KEY AUTOINCREMENT, WrN TEXT, WrK TEXT, Cost REAL);
  INSERT INTO tariff(WrN, WrK, Cost) VALUES ('00:00:00.000', '07:59:59.999', 10), ('08:00:00.000', '23:59:59.000', 20);
  PRAGMA user_version = 1;"
link_up
start "$d" "2026-12-07 07:59:50"; p=$pid
# The first piece is stored at 8:00; the second is kept on line a while before the link goes.
wait_for 60 has_records "$d" 1; wait_for 60 open_for "$d" 2000
link_down; wait_for 60 has_records "$d" 2
stop "$p"
rows "$d"
[ "$(count "$d")" = 2 ] || fail "expected two records around 8:00"
[ "$(sqlite3 "$d/data.db" "SELECT group_concat(Tarif, ' ') FROM (SELECT Tarif FROM session ORDER BY id)")" = "10 20" ] \
  || fail "expected the rates 10 then 20"
[ "$(sqlite3 "$d/data.db" "SELECT (SELECT WremW FROM session WHERE id = 1) = (SELECT WremN FROM session WHERE id = 2)")" = 1 ] \
  || fail "the second segment should begin where the first ended"

echo "== a connection across midnight"
d=$(new_folder midnight)
link_up
start "$d" "2026-12-07 23:59:50"; p=$pid
wait_for 60 has_records "$d" 1; wait_for 60 open_for "$d" 2000
link_down; wait_for 60 has_records "$d" 2
stop "$p"
rows "$d"
[ "$(sqlite3 "$d/data.db" "SELECT group_concat(Data, ' ') FROM (SELECT Data FROM session ORDER BY id)")" = "2026-12-07 2026-12-08" ] \
  || fail "expected one record on each side of midnight"

echo "== closed by SIGTERM while connected"
d=$(new_folder sigterm)
link_up
start "$d" "2026-12-07 12:00:00"; p=$pid
wait_for 60 open_for "$d" 3000
stop "$p"
rows "$d"
[ "$(count "$d")" = 1 ] || fail "the open connection should be written at close"
[ -n "$(sqlite3 "$d/data.db" "SELECT 1 FROM session WHERE Itogo >= '0:00:02'")" ] || fail "too short"

echo "== kill -9 while connected, and the recovery at the next start"
d=$(new_folder crash)
link_up
start "$d" "2026-12-07 14:00:00"; p=$pid
wait_for 60 open_for "$d" 3000
kill -9 "$p"; wait "$p" 2>/dev/null
[ "$(count "$d")" = 0 ] || fail "nothing should be stored before the crash"
[ "$(sqlite3 "$d/data.db" "SELECT count(*) FROM open_segment")" = 1 ] || fail "the open segment should be kept"
link_down
start "$d" "2026-12-07 14:00:30"; p=$pid
wait_for 60 has_records "$d" 1
stop "$p"
rows "$d"
[ "$(count "$d")" = 1 ] || fail "the crashed segment should be stored once"
[ "$(sqlite3 "$d/data.db" "SELECT count(*) FROM open_segment")" = 0 ] || fail "nothing should stay open"
[ -n "$(sqlite3 "$d/data.db" "SELECT 1 FROM session WHERE Itogo >= '0:00:03' AND WremN LIKE '14:00:%'")" ] \
  || fail "the stored segment should reach its last checkpoint"

echo "== a second copy in the same folder"
d=$(new_folder twice)
link_down
start "$d"; p=$pid
wait_for 60 has_version "$d" data.db 4; wait_for 60 has_version "$d" tarif.db 2
before=$(sha256sum "$d/data.db" "$d/tarif.db" "$d/options.dn")
(cd "$d" && QT_QPA_PLATFORM=offscreen ip netns exec "$ns" "$program" >"$d/second.log" 2>&1)
status=$?
# It hands the start to the running copy, which shows its window, and ends at once.
[ "$status" -eq 0 ] || fail "the second copy should end after the first answered: $(cat "$d/second.log")"
kill -0 "$p" 2>/dev/null || fail "the running copy ended"
[ "$(sha256sum "$d/data.db" "$d/tarif.db" "$d/options.dn")" = "$before" ] || fail "the second copy touched a file"
stop "$p"

# A record of DATE beginning at TIME is stored; one of DATE at all.
stored_from() { [ "$(sqlite3 "$1/data.db" "SELECT count(*) FROM session WHERE Data = '$2' AND WremN = '$3'")" -ge 1 ]; }
stored_on() { [ "$(sqlite3 "$1/data.db" "SELECT count(*) FROM session WHERE Data = '$2'")" -ge 1 ]; }
# The reader or writer beside the program has done what it holds (its answer is in FILE).
answered() { [ -s "$1" ]; }

echo "== on line across two midnights: a record per day, none losing its day"
d=$(new_folder days)
offsets="$d/offset"
now=$(date +%s)
# The fake clock starts at 23:59:50 on 7 December and later jumps forward a day at a time.
base=$(( $(date -d '2026-12-07 23:59:50' +%s) - now ))
printf '%+ds\n' "$base" > "$offsets"
link_up
start_moving "$d" "$offsets"; p=$pid
wait_for 60 open_for "$d" 3000
# A day later, just before the next midnight: the afternoon half of the 8th is stored once
# that midnight has passed.
printf '%+ds\n' $(( base + 86400 )) > "$offsets"
wait_for 60 stored_from "$d" 2026-12-08 12:00:00
printf '%+ds\n' $(( base + 2 * 86400 )) > "$offsets"
wait_for 60 stored_from "$d" 2026-12-09 12:00:00; wait_for 60 open_for "$d" 2000
link_down; wait_for 60 stored_on "$d" 2026-12-10
stop "$p"
rows "$d"
[ "$(sqlite3 "$d/data.db" "SELECT count(DISTINCT Data) FROM session")" -ge 3 ] \
  || fail "expected records on three dates or more"
# A whole day is two records cut at noon: the first of each later day begins at 0:00:00.
[ -z "$(sqlite3 "$d/data.db" "SELECT Data FROM session WHERE Data > '2026-12-07' GROUP BY Data HAVING sum(WremN = '0:00:00') = 0")" ] \
  || fail "each later day should begin at 0:00:00"
[ -z "$(sqlite3 "$d/data.db" "SELECT 1 FROM session WHERE WremN NOT IN ('0:00:00', '12:00:00') AND Data > '2026-12-07'")" ] \
  || fail "a later day's records should begin at midnight or at noon"
[ "$(seconds "$d")" -ge $(( 2 * 86400 - 10 )) ] || fail "two days on line stored as $(seconds "$d") s"
# A copy for the first day, one for a later day, and one of the tariff file made on this
# first run after the file was.
[ "$(ls "$d/backup" | grep -c '^data-')" -ge 2 ] || fail "no daily copy on a later day: $(ls "$d/backup")"
ls "$d/backup" | grep -q '^tarif-' || fail "no copy of tarif.db made on the first run"

echo "== another program reading and writing data.db"
d=$(new_folder shared)
link_down
start "$d" "2026-12-07 15:00:00"; p=$pid
wait_for 60 has_version "$d" data.db 4
# A reader with a transaction held open all along (until told to end), and for 4 s a writer.
(echo "BEGIN; SELECT count(*) FROM session;"; wait_for 120 test -e "$work/reader.end"; echo "COMMIT;") \
  | sqlite3 "$d/data.db" >"$work/reader.out" &
reader=$!
wait_for 60 answered "$work/reader.out"
link_up; wait_for 60 open_for "$d" 3000; link_down; wait_for 60 has_records "$d" 1
(echo "BEGIN IMMEDIATE; SELECT 'held';"; sleep 4; echo "COMMIT;") | sqlite3 "$d/data.db" >"$work/writer.out" &
writer=$!
wait_for 60 answered "$work/writer.out"
# The link comes up while the writer holds data.db; what is on line is stored once it lets go.
link_up; wait "$writer"; wait_for 60 open_for "$d" 3000; link_down; wait_for 60 has_records "$d" 2
touch "$work/reader.end"; wait "$reader"
stop "$p"
rows "$d"
[ "$(count "$d")" = 2 ] || fail "expected both connections stored"
[ "$(seconds "$d")" -ge 5 ] || fail "the connections lost time: $(seconds "$d") s"

made_and_open_for() { [ -f "$1/data.db" ] && open_for "$1" "$2"; }
made_with_records() { [ -f "$1/data.db" ] && has_records "$1" "$2"; }

echo "== data.db moved away, then replaced, while the program runs"
d=$(new_folder moved)
link_down
start "$d" "2026-12-07 16:00:00"; p=$pid
wait_for 60 has_version "$d" data.db 4
link_up; wait_for 60 open_for "$d" 3000; link_down; wait_for 60 has_records "$d" 1
mv "$d/data.db" "$d/moved.db"
# Looked at only once the program has made the new file: sqlite3 would make an empty one.
link_up; wait_for 60 made_and_open_for "$d" 3000; link_down; wait_for 60 made_with_records "$d" 1
[ "$(sqlite3 "$d/moved.db" "SELECT count(*) FROM session")" = 1 ] || fail "the moved file should keep its record"
[ "$(count "$d")" = 1 ] || fail "the next record should go to a new data.db"
sqlite3 "$d/other.db" ".restore $d/moved.db"
mv "$d/other.db" "$d/data.db"
link_up; wait_for 60 open_for "$d" 3000; link_down; wait_for 60 has_records "$d" 2
stop "$p"
[ "$(count "$d")" = 2 ] || fail "the next record should go to the file put in place: $(rows "$d")"
[ "$(sqlite3 "$d/data.db" "PRAGMA integrity_check")" = ok ] || fail "data.db damaged"

echo "== data.db emptied in place while connected"
d=$(new_folder emptied)
link_down
start "$d" "2026-12-07 16:30:00"; p=$pid
wait_for 60 has_version "$d" data.db 4
link_up; wait_for 60 open_for "$d" 2000; link_down; wait_for 60 has_records "$d" 1
link_up; wait_for 60 open_for "$d" 2000
: > "$d/data.db"
wait_for 60 open_for "$d" 2000
link_down; wait_for 60 has_records "$d" 1
link_up; wait_for 60 open_for "$d" 2000; link_down; wait_for 60 has_records "$d" 2
stop "$p"
[ "$(sqlite3 "$d/data.db" "PRAGMA integrity_check")" = ok ] || fail "data.db damaged after it was emptied"
start "$d" "2026-12-07 16:40:00"; p=$pid
link_up; wait_for 60 open_for "$d" 2000; link_down; wait_for 60 has_records "$d" 3
stop "$p"
rows "$d"

# The damaged segment below is set aside only when the next checkpoint takes its place: the
# connection is looked at once that checkpoint is there.
fresh_open_for() {
  [ "$(sqlite3 "$1/data.db" "SELECT count(*) FROM open_segment WHERE Rate <> 'abc' AND StartTime <> 1000
     AND (LastDate > StartDate OR LastTime - StartTime >= $2)")" = 1 ]
}

echo "== a damaged open segment left from before"
d=$(new_folder damaged)
link_down
start "$d" "2026-12-07 17:00:00"; p=$pid
wait_for 60 has_version "$d" data.db 4; stop "$p"
sqlite3 "$d/data.db" "INSERT INTO open_segment(id, StartDate, StartTime, LastDate, LastTime, Rate) VALUES(1, '2026-12-07', 1000, '2026-12-07', 9000, 'abc')" || fail "could not damage the open segment"
start "$d" "2026-12-07 17:01:00"; p=$pid
link_up; wait_for 60 fresh_open_for "$d" 3000; link_down; wait_for 60 has_records "$d" 1
link_up; wait_for 60 open_for "$d" 3000
stop "$p"
rows "$d"
[ "$(count "$d")" = 2 ] || fail "recording should go on past a damaged open segment"

echo "== tarif.db replaced by something else, then by another tariff file, while running"
d=$(new_folder tariffs)
make_tariffs() {
  sqlite3 "$1" "CREATE TABLE tariff(id INTEGER PRIMARY KEY AUTOINCREMENT, WrN TEXT, WrK TEXT, Cost REAL);
    INSERT INTO tariff(WrN, WrK, Cost) VALUES ('00:00:00.000', '23:59:59.999', $2);
    PRAGMA user_version = 1;"
}
make_tariffs "$d/tarif.db" 10
link_down
start "$d" "2026-12-07 18:00:00"; p=$pid
# Read by the program once it has brought the first-version file up to date: only then is
# there a rate "read last" to fall back on. Each step waits for what the program did, not
# for a time, so a busy machine slows the test down rather than failing it.
wait_for 60 has_version "$d" tarif.db 2
echo "not a database, just text" > "$d/garbage"; mv "$d/garbage" "$d/tarif.db"
link_up; wait_for 60 open_for "$d" 3000; link_down; wait_for 60 has_records "$d" 1
make_tariffs "$d/other.db" 30; mv "$d/other.db" "$d/tarif.db"
link_up; wait_for 60 open_for "$d" 3000; link_down; wait_for 60 has_records "$d" 2
stop "$p"
rows "$d"
[ "$(sqlite3 "$d/data.db" "SELECT group_concat(Tarif, ' ') FROM (SELECT Tarif FROM session ORDER BY id)")" = "10 30" ] \
  || fail "expected the connection timed at the rate read last, then at the new file's rate"

echo "== traffic: exact bytes each way, the link made anew, midnight, kill -9, a package crossed"
# Priced at 2 a mebibyte beyond a package of one per period, time free. The link carries
# only what the holder moves: no IPv6, a route to the far end.
d=$(new_folder traffic)
offsets="$d/offset"
base=$(( $(date -d '2026-12-07 23:50:00' +%s) - $(date +%s) ))
printf '%+ds\n' "$base" > "$offsets"
link_down
start_moving "$d" "$offsets"; p=$pid
wait_for 60 has_version "$d" tarif.db 2
stop "$p"
[ "$(sqlite3 "$d/data.db" "PRAGMA user_version")" = 4 ] || fail "data.db should stay at 4 until traffic is counted"
sqlite3 "$d/tarif.db" "CREATE TABLE traffic(id INTEGER PRIMARY KEY CHECK (id = 1), Price TEXT NOT NULL,
  Package INTEGER NOT NULL); INSERT INTO traffic VALUES (1, '2', 1); PRAGMA user_version = 3"
tun_fifo="$work/tun-commands"; mkfifo "$tun_fifo"
plain_link() {
  ip netns exec "$ns" sysctl -qw net.ipv6.conf.ppp0.disable_ipv6=1
  link_up; ip netns exec "$ns" ip route replace 10.64.0.1 dev ppp0
}
open_bytes() { [ "$(sqlite3 "$1/data.db" "SELECT Rx||' '||Tx FROM open_volume")" = "$2 $3" ]; }
volumes() {
  sqlite3 "$1/data.db" "SELECT s.Data||' '||v.Rx||' '||v.Tx||' '||s.Summ FROM session s
    JOIN session_volume v ON v.id = s.id ORDER BY s.id"
}
plain_link
start_moving "$d" "$offsets"; p=$pid
wait_for 60 open_bytes "$d" 0 0
move receive 1024 512; move send 256 1024 # 0.75 MiB of the package
wait_for 60 open_bytes "$d" 524288 262144
# Dropped and made anew, as a dialler does: the new ppp0's counters start from zero.
link_down; wait_for 60 has_records "$d" 1
ip netns exec "$ns" ip tuntap del dev ppp0 mode tun
ip netns exec "$ns" ip tuntap add dev ppp0 mode tun
ip netns exec "$ns" ip addr add 10.64.0.2/32 dev ppp0
plain_link
wait_for 60 open_bytes "$d" 0 0
move receive 512 1024 # half of it beyond the package
wait_for 60 open_bytes "$d" 524288 0
# Midnight inside the connection: the day's piece is stored, the next begins from nothing.
printf '%+ds\n' $(( base + 602 )) > "$offsets"
wait_for 60 has_records "$d" 2
move send 256 1024 # all beyond the package, on the next day of the same period
wait_for 60 open_bytes "$d" 0 262144
# Killed: the bytes kept with the open segment are stored at the next start.
kill -9 "$p"; wait "$p" 2>/dev/null
link_down
start_moving "$d" "$offsets"; p=$pid
wait_for 60 has_records "$d" 3
stop "$p"
volumes "$d"
[ "$(volumes "$d" | tr '\n' '|')" = "2026-12-07 524288 262144 0|2026-12-07 524288 0 0,5|2026-12-08 0 262144 0,5|" ] \
  || fail "the records' bytes and charges are not exact: $(volumes "$d" | tr '\n' '|')"
ls "$d/backup" | grep -q '^data-v4-' || fail "no copy of data.db kept before it took the traffic"

echo "All end-to-end checks passed."
