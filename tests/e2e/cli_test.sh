#!/bin/bash
# The real program's command line and start: Qt's own options start the window, the
# program's own are checked, only a running copy blocks a second one, and a report never
# replaces the program's data files, a device or a pipe. Needs no root; as root it also
# writes a report into a device node of its own.
# Usage: cli_test.sh path/to/kelvora
set -u
[ -x "${1:-}" ] || { echo "usage: $0 path/to/kelvora"; exit 2; }
work="$(mktemp -d)"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill -9 "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
# A copy of its own, so the window settings it writes beside itself land in the scratch folder.
mkdir -p "$work/bin"
cp "$1" "$work/bin/kelvora"
program="$work/bin/kelvora"
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/share" LC_ALL=C.UTF-8
failures=0

check() {
  local what="$1"
  shift
  if "$@"; then echo "ok    $what"; else echo "FAILED $what"; failures=$((failures + 1)); fi
}

# window_runs DIR [ARGS...]: the window program, started in DIR, makes its files and its
# window and still runs then: a second start hands over to it and ends (looked at every
# 0.2 s, for a minute at most).
window_runs() {
  local dir="$1"
  shift
  mkdir -p "$dir"
  (cd "$dir" && exec "$program" "$@" >"$dir/window.log" 2>&1) &
  local pid=$!
  pids+=("$pid")
  local up=""
  for _ in $(seq 300); do
    kill -0 "$pid" 2>/dev/null || break
    if [ -s "$dir/data.db" ] && [ -s "$dir/tarif.db" ] &&
       (cd "$dir" && QT_QPA_PLATFORM=offscreen timeout 20 "$program" >"$dir/second.log" 2>&1); then
      up=1
      break
    fi
    sleep 0.2
  done
  if [ -n "$up" ] && kill -0 "$pid" 2>/dev/null; then
    kill -TERM "$pid"
    wait "$pid" 2>/dev/null
    return 0
  fi
  if kill -0 "$pid" 2>/dev/null; then
    echo "      runs, but no window answered: $(head -c 400 "$dir/second.log")"
    kill -TERM "$pid"
    wait "$pid" 2>/dev/null
    return 1
  fi
  wait "$pid"
  echo "      exit $?: $(head -c 400 "$dir/window.log")"
  return 1
}

# exits CODE DIR ARGS...: the program run in DIR ends with CODE; its output in DIR/out, DIR/err.
exits() {
  local code="$1" dir="$2"
  shift 2
  (cd "$dir" && QT_QPA_PLATFORM=offscreen timeout 20 "$program" "$@" >"$dir/out" 2>"$dir/err")
  local got=$?
  [ "$got" -eq "$code" ] && return 0
  echo "      exit $got, expected $code: $(head -c 400 "$dir/err")"
  return 1
}
said() { grep -q -- "$2" "$1/err" || { echo "      not said: $2"; return 1; }; }

echo "-- Qt's options start the window"
export QT_QPA_PLATFORM=offscreen
check "no arguments" window_runs "$work/plain"
check "-session 10abc" window_runs "$work/session" -session 10abc
check "-style Fusion" window_runs "$work/style" -style Fusion
check "-style=Fusion -reverse" window_runs "$work/style2" -style=Fusion -reverse
unset QT_QPA_PLATFORM
check "-platform offscreen, without the variable" window_runs "$work/platform" -platform offscreen
export QT_QPA_PLATFORM=offscreen

echo "-- the single-copy lock"
for kind in empty garbage other-host; do
  dir="$work/lock-$kind"
  mkdir -p "$dir"
  case $kind in
    empty) : >"$dir/.kelvora.lock" ;;
    garbage) printf '\001\377zz\n\n\n' >"$dir/.kelvora.lock" ;;
    other-host) printf '4242\nkelvora\nsome-other-host\n' >"$dir/.kelvora.lock" ;;
  esac
  check "a left-over $kind lock file does not block" window_runs "$dir"
done
dir="$work/lock-live"
mkdir -p "$dir"
(cd "$dir" && exec "$program" >"$dir/first.log" 2>&1) &
first=$!
pids+=("$first")
# The first holds the folder once it has made data.db; it answers once its window is made.
shows_first() {
  for _ in $(seq 100); do
    if [ -s "$1/data.db" ] &&
       (cd "$1" && QT_QPA_PLATFORM=offscreen timeout 20 "$program" >"$1/out" 2>"$1/err"); then
      return 0
    fi
    sleep 0.2
  done
  echo "      no answer: $(head -c 300 "$1/err")"
  return 1
}
check "a second start asks the running copy to show itself, and ends" shows_first "$dir"
kill -STOP "$first" # running, but it cannot answer
check "a running copy that does not answer still blocks a second one" exits 1 "$dir"
check "  and says so" said "$dir" "уже запущена"
kill -CONT "$first"
kill -9 "$first"
wait "$first" 2>/dev/null
check "a copy killed outright blocks nothing" window_runs "$dir"

echo "-- the program's own options"
data="$work/data"
window_runs "$data" >/dev/null # makes data.db and tarif.db
printf '0\r\n\r\n3\r\n' >"$data/options.dn"
check "an unknown option of ours exits 2" exits 2 "$data" --reprot 01.12.2026 31.12.2026 --csv x.csv
check "  and names it" said "$data" "reprot"
check "a stray word exits 2" exits 2 "$data" december
check "reversed dates are told, not an empty report" exits 2 "$data" --report 31.12.2026 01.12.2026 --csv r.csv
check "  with a message" said "$data" "позже"
check "  and no file" test ! -e "$data/r.csv"
check "--help" exits 0 "$data" --help
check "--version after a Qt option" exits 0 "$data" -platform offscreen --version

echo "-- where a report goes"
for f in data.db tarif.db options.dn; do
  before="$(sha256sum <"$data/$f")"
  check "--csv $f is refused" exits 1 "$data" --report 01.12.2026 31.12.2026 --csv "$f"
  check "  saying why" said "$data" "файл данных"
  check "  and $f is untouched" test "$(sha256sum <"$data/$f")" = "$before"
done
mv "$data/options.dn" "$data/options.kept"
for f in options.dn kelvora.ini int.ini data.db-journal .kelvora.lock; do
  rm -f "$data/$f"
  check "--csv $f, not there, is refused" exits 1 "$data" --report 01.12.2026 31.12.2026 --csv "$f"
  check "  and $f is not made" test ! -e "$data/$f"
done
mv "$data/options.kept" "$data/options.dn"
mkdir -p "$data/backup"
echo copy >"$data/backup/data-2026-12-01.db"
check "--csv into a backup copy is refused" exits 1 "$data" --report 01.12.2026 31.12.2026 --csv backup/data-2026-12-01.db
check "  saying why" said "$data" "копии"
check "  and the copy is untouched" grep -q "^copy$" "$data/backup/data-2026-12-01.db"
check "--csv of a new name in backup is refused" exits 1 "$data" --report 01.12.2026 31.12.2026 --csv "$data/backup/../backup/new.csv"
check "  and makes nothing there" test ! -e "$data/backup/new.csv"

before="$(sha256sum <"$data/data.db")"
mkdir -p "$data/sub"
ln -s ../data.db "$data/sub/link.csv"
ln "$data/tarif.db" "$data/hard.pdf"
check "a link to data.db is refused" exits 1 "$data" --report 01.12.2026 31.12.2026 --csv sub/link.csv
check "another spelling of data.db is refused" exits 1 "$data" --report 01.12.2026 31.12.2026 --pdf "$data/sub/../data.db"
check "a hard link to tarif.db is refused" exits 1 "$data" --report 01.12.2026 31.12.2026 --pdf hard.pdf
check "  and data.db is untouched" test "$(sha256sum <"$data/data.db")" = "$before"
check "  and is still a database" test "$(head -c 15 "$data/data.db")" = "SQLite format 3"

other="$work/other"
mkdir -p "$other"
echo old >"$other/data.db"
check "a file named data.db elsewhere is an ordinary target" exits 0 "$data" --report 01.12.2026 31.12.2026 --csv "$other/data.db"
check "  and holds the report" grep -q "Итого" "$other/data.db"

echo old >"$data/month.csv"
inode="$(stat -c %i "$data/month.csv")"
check "a regular file is replaced" exits 0 "$data" --report 01.12.2026 31.12.2026 --csv month.csv
check "  through a new file" test "$(stat -c %i "$data/month.csv")" != "$inode"
check "  holding the report" grep -q "^Итого" "$data/month.csv"

check "--csv - writes to standard output" exits 0 "$data" --report 01.12.2026 31.12.2026 --csv -
check "  the report" grep -q "^Итого" "$data/out"
check "  and no file named -" test ! -e "$data/-"
check "--pdf - writes to standard output" exits 0 "$data" --report 01.12.2026 31.12.2026 --pdf -
check "  a PDF" test "$(head -c 4 "$data/out")" = "%PDF"

for format in csv pdf; do
  mkfifo "$data/pipe.$format"
  cat "$data/pipe.$format" >"$data/read.$format" &
  reader=$!
  check "--$format into a FIFO" exits 0 "$data" --report 01.12.2026 31.12.2026 --$format "pipe.$format"
  # A reader nobody opened the FIFO for would wait for ever: a writer opened and closed at
  # once (read-write, which never blocks) lets it through to the end of what was written.
  exec 3<>"$data/pipe.$format"
  exec 3>&-
  wait "$reader"
  check "  the FIFO stays a FIFO" test -p "$data/pipe.$format"
  check "  and its reader got the report" test -s "$data/read.$format"
done
check "the PDF read from the FIFO is whole" grep -q "%%EOF" "$data/read.pdf"

check "--csv /dev/null is written into" exits 0 "$data" --report 01.12.2026 31.12.2026 --csv /dev/null
check "  and stays a device" test -c /dev/null
if [ "$(id -u)" -eq 0 ] && mknod "$work/full" c 1 7 2>/dev/null; then
  check "a full device is told" exits 1 "$data" --report 01.12.2026 31.12.2026 --csv "$work/full"
  check "  and stays a device" test -c "$work/full"
else
  echo "skip  a device node of our own needs root"
fi

echo "-- readers change nothing"
if command -v sqlite3 >/dev/null; then
  old="$work/older"
  mkdir -p "$old"
  cp "$data/data.db" "$old/data.db"
  sqlite3 "$old/data.db" "INSERT INTO session(Data, WremN, WremW, Itogo, Tarif, Summ)
    VALUES ('2026-12-03', '9:00:00', '10:00:00', '1:00:00', '20', '20');
    DROP TRIGGER session_day_added; DROP TRIGGER session_day_removed;
    DROP TRIGGER session_day_changed; DROP TABLE day_total; PRAGMA user_version = 3"
  before="$(sha256sum <"$old/data.db")"
  check "--report of an older data.db" exits 0 "$old" --report 01.12.2026 31.12.2026 --csv -
  check "  holds its record" grep -q "^03.12.2026;9:00:00" "$old/out"
  check "--summary of it" exits 0 "$old" --summary 01.12.2026 31.12.2026 --json
  check "  counts it" grep -q '"money":20,' "$old/out"
  mkdir -p "$work/elsewhere"
  check "--summary from another folder, with --data" \
    exits 0 "$work/elsewhere" --summary 01.12.2026 31.12.2026 --json --data "$old"
  check "  counts the same" grep -q '"money":20,' "$work/elsewhere/out"
  check "--report with --data, the report where it was asked for" \
    exits 0 "$work/elsewhere" --data "$old" --report 01.12.2026 31.12.2026 --csv r.csv
  check "  holds the record" grep -q "^03.12.2026;9:00:00" "$work/elsewhere/r.csv"
  check "  and the file is as it was" test "$(sha256sum <"$old/data.db")" = "$before"
  check "  still of its own format" test "$(sqlite3 "$old/data.db" "PRAGMA user_version")" = 3
  check "  and no copy of it was made" test ! -e "$old/backup"
else
  echo "skip  an older data.db needs the sqlite3 shell"
fi

echo "-- settings files that are no settings files"
odd="$work/odd"
mkdir -p "$odd"
cp "$data/data.db" "$odd/data.db"
mkfifo "$odd/kelvora.ini"
check "--summary beside a kelvora.ini that is a FIFO" exits 0 "$odd" --summary
check "  says so" said "$odd" "kelvora.ini"
rm -f "$odd/kelvora.ini"
truncate -s 199M "$odd/kelvora.ini"
check "--summary beside a kelvora.ini of 199 MB" exits 0 "$odd" --summary
check "  says so" said "$odd" "больше 1024 КБ"

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "all checks passed"
