#!/usr/bin/env bash
# What the start command builds: run with cmake's build step recorded instead of done, it
# must configure its own folder with the tests off and ask for the program alone; that
# folder's build system then holds no test program at all.
#   start_check.sh SOURCE-DIR
set -eu
top="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
cat >"$work/bin/cmake" <<'FAKE'
#!/usr/bin/env bash
echo "$*" >>"$KELVORA_CHECK_CALLS"
[ "$1" = "--build" ] && exit 0
exec /usr/bin/cmake "$@"
FAKE
chmod +x "$work/bin/cmake"
export KELVORA_CHECK_CALLS="$work/calls" KELVORA_START_BUILD="$work/build"
out="$(PATH="$work/bin:$PATH" bash "$top/scripts/start.sh" --build-only)"
fail() { echo "$1"; cat "$work/calls"; exit 1; }
[ "$(printf '%s\n' "$out" | wc -l)" -eq 1 ] || fail "more than one line while building: $out"
grep -q -- "-DBUILD_TESTING=OFF" "$work/calls" || fail "the tests are not switched off"
grep -- "--build" "$work/calls" | grep -q -- "--target kelvora$" || fail "it builds more than the program"
targets="$(/usr/bin/cmake --build "$work/build" --target help)"
for module in kelvora_pdfview kelvora_print; do
  printf '%s\n' "$targets" | grep -q "$module" || fail "the module $module the program loads is missing"
done
if printf '%s\n' "$targets" | grep -q "tst_"; then fail "test programs are in its build"; fi
echo "start command: builds the program and its modules only"
