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
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; exit 1; }
deb="$(ls "$work"/kelvora_*.deb)"
# Pedantic as well: what it finds is printed. Errors and warnings fail the check.
lintian --pedantic --info --fail-on error,warning "$deb" 2>&1 | grep -v '^running with root' || status=$?
status="${status:-0}"
# grep's "nothing printed" (1) is lintian's clean run.
[ "$status" -le 1 ] || exit 1
lintian --fail-on error,warning "$deb" >/dev/null 2>&1 || { echo "lintian found errors or warnings"; exit 1; }
mkdir "$work/unpacked"
dpkg-deb -x "$deb" "$work/unpacked"
appstreamcli validate --no-net "$work/unpacked/usr/share/metainfo/org.kelvora.Kelvora.metainfo.xml"
grep -q '^Description: ' <(dpkg-deb -f "$deb") || { echo "no description"; exit 1; }
if dpkg-deb -f "$deb" Description | grep -q ';'; then
  echo "a stray ';' in the description"; exit 1
fi
echo "lintian: clean"
