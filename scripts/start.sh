#!/usr/bin/env bash
# Installs what is missing, builds the program, and starts it. The folder you run this from
# is the program's data folder: data.db, tarif.db and options.dn live there.
#
# Only the program and the module it loads at run time are built, in build-app/ with the
# tests switched off, so a first start does not wait for the test programs, and the test
# command's build/ is left as it is. With --build-only it builds and does not start.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$top/scripts/deps.sh"
build="${KELVORA_START_BUILD:-$top/build-app}"
log="$build/build.log"
mkdir -p "$build"
echo "Building the program in ${build#"$top"/} (a first build takes about 4 minutes on two cores; the log is in ${log#"$top"/})..."
if ! { cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF &&
       cmake --build "$build" --parallel "$(nproc)" --target kelvora; } >"$log" 2>&1; then
  tail -n 40 "$log" >&2
  echo "The build failed; the whole log is in $log" >&2
  exit 1
fi
[ "${1:-}" = "--build-only" ] && exit 0
exec "$build/app/kelvora"
