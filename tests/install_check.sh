#!/usr/bin/env bash
# Installs the built program into a temporary DESTDIR and checks what lands there: the
# program and its launcher, the desktop entry and AppStream data (validated), the icons,
# the manual page and the guide.
#   install_check.sh BUILD-DIR
set -eu
build="$1"
dest="$(mktemp -d)"
trap 'rm -rf "$dest"' EXIT
DESTDIR="$dest" cmake --install "$build" --prefix /usr >/dev/null
cd "$dest/usr"
expected="bin/kelvora
bin/kelvora-desktop
share/applications/org.kelvora.Kelvora.desktop
share/metainfo/org.kelvora.Kelvora.metainfo.xml
share/icons/hicolor/scalable/apps/kelvora.svg
share/man/man1/kelvora.1
share/doc/kelvora/guide.md
share/doc/kelvora/images/main-window.png
$(cd "$dest/usr" && ls -d lib*/kelvora/kelvora_pdfview.so lib/*/kelvora/kelvora_pdfview.so 2>/dev/null | head -n 1)"
for size in 16 22 24 32 48 64 128 256; do
  expected="$expected
share/icons/hicolor/${size}x${size}/apps/kelvora.png"
done
missing=0
while read -r file; do
  [ -e "$file" ] || { echo "missing: $file"; missing=1; }
done <<< "$expected"
[ "$missing" -eq 0 ] || exit 1
file bin/kelvora | grep -q ELF || { echo "bin/kelvora is no program"; exit 1; }
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate share/applications/org.kelvora.Kelvora.desktop
else
  echo "desktop-file-validate is not installed: not checked"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net --pedantic share/metainfo/org.kelvora.Kelvora.metainfo.xml
else
  echo "appstreamcli is not installed: not checked"
fi
echo "Installed files are all there."
