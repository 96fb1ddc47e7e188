#!/usr/bin/env bash
# Builds the Debian package from a built tree and checks it the way a distribution would:
# lintian with no error and no warning, the AppStream data validated.
#   package_check.sh BUILD-DIR
set -eu
build="$1"
command -v lintian >/dev/null || { echo "lintian is not installed: skipped"; exit 77; }
command -v cpack >/dev/null || { echo "cpack is not installed: skipped"; exit 77; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# Every file's time is the last commit's, so two packages of one commit are the same bytes.
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
SOURCE_DATE_EPOCH="$(git -C "$top" log -1 --format=%ct 2>/dev/null || echo 1796083200)"
export SOURCE_DATE_EPOCH
for round in 1 2; do
  cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/$round" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; exit 1; }
  [ "$round" = 1 ] && sleep 1 # a package that took the clock's time would differ
done
deb="$(ls "$work"/1/kelvora_*.deb)"
cmp -s "$deb" "$(ls "$work"/2/kelvora_*.deb)" ||
  { echo "two packages of the same tree differ"; exit 1; }
# Pedantic as well: what it finds is printed. Errors and warnings fail the check.
lintian --pedantic --info --fail-on error,warning "$deb" 2>&1 | grep -v '^running with root' || status=$?
status="${status:-0}"
# grep's "nothing printed" (1) is lintian's clean run.
[ "$status" -le 1 ] || exit 1
lintian --fail-on error,warning "$deb" >/dev/null 2>&1 || { echo "lintian found errors or warnings"; exit 1; }
mkdir "$work/unpacked"
dpkg-deb -x "$deb" "$work/unpacked"
# Hardened as a Debian-built program: full RELRO with immediate binding, a stack protector,
# fortified calls.
# (The sanitizers' debug build goes without, as the build rules say.)
program="$work/unpacked/usr/bin/kelvora"
if grep -Eq '^KELVORA_SANITIZE:BOOL=ON|^CMAKE_BUILD_TYPE:STRING=Debug' "$build/CMakeCache.txt"; then
  echo "hardening: not looked for in a sanitizer or debug build"
else
  readelf -lW "$program" | grep -q GNU_RELRO || { echo "no RELRO"; exit 1; }
  readelf -dW "$program" | grep -Eq 'BIND_NOW|FLAGS.*NOW' || { echo "not bound at once (-z now)"; exit 1; }
  readelf -sW --dyn-syms "$program" | grep -q '__stack_chk_fail' || { echo "no stack protector"; exit 1; }
  readelf -sW --dyn-syms "$program" | grep -q '__[a-z]*_chk@' || { echo "no fortified calls"; exit 1; }
fi
appstreamcli validate --no-net "$work/unpacked/usr/share/metainfo/org.kelvora.Kelvora.metainfo.xml"
grep -q '^Description: ' <(dpkg-deb -f "$deb") || { echo "no description"; exit 1; }
if dpkg-deb -f "$deb" Description | grep -q ';'; then
  echo "a stray ';' in the description"; exit 1
fi
echo "lintian: clean"
