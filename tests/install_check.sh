#!/usr/bin/env bash
# Installs the built program into a temporary DESTDIR and checks what lands there: the
# program and its launcher, the desktop entry and AppStream data (validated), the icons,
# the compressed manual pages of both commands, the copyright, changelog and guide; then
# runs the installed program once and checks that it wrote nothing beside itself.
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
share/man/man1/kelvora.1.gz
share/man/man1/kelvora-desktop.1.gz
share/doc/kelvora/copyright
share/doc/kelvora/changelog.gz
share/doc/kelvora/guide.md
share/doc/kelvora/images/main-window.png"
# The modules loaded when first used, under the architecture's library folder.
modules="$(ls -d lib/*/kelvora 2>/dev/null | head -n 1)"
for module in kelvora_pdfview kelvora_print; do
  expected="$expected
${modules:-lib/ARCH/kelvora}/$module.so"
done
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
for page in share/man/man1/*.1.gz; do
  gzip -t "$page" || { echo "$page is not gzip"; exit 1; }
done
# A manual page for every installed command.
for command in bin/*; do
  [ -e "share/man/man1/$(basename "$command").1.gz" ] || { echo "no manual page for $command"; exit 1; }
done

# The installed program, started and ended once (as root too, where every folder is
# writable): its window settings go to the configuration folder, nothing beside it.
home="$dest/home"
mkdir -p "$home/data"
before="$(ls -A bin)"
(cd "$home/data" && HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/share" \
   QT_QPA_PLATFORM=offscreen exec "$dest/usr/bin/kelvora" >"$home/log" 2>&1) &
program=$!
# Up once its start-up step has made the data files (looked at every 0.1 s, a minute at most).
for _ in $(seq 600); do
  if [ -s "$home/data/data.db" ] && [ -s "$home/data/tarif.db" ]; then break; fi
  kill -0 "$program" 2>/dev/null || break
  sleep 0.1
done
kill -TERM "$program" 2>/dev/null || true
wait "$program" || true
after="$(ls -A bin)"
if [ "$before" != "$after" ]; then
  echo "the installed program wrote beside itself:"; echo "$after"; exit 1
fi
[ -f "$home/config/kelvora/int.ini" ] || { echo "no int.ini in the configuration folder"; cat "$home/log"; exit 1; }
echo "Installed files are all there; the program writes nothing beside itself."
