#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, when missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
  libsqlite3-dev sqlite3 libpoppler-qt6-dev
  fonts-dejavu-core fonts-liberation2 qt6-translations-l10n
)
if [ "${1:-}" = "--bench" ]; then
  # The floors of the benchmarks: a query model's grid, the sync calls and the instructions
  # counted.
  packages+=(libqt6sql6-sqlite strace iproute2 valgrind)
fi
if [ "${1:-}" = "--tests" ]; then
  packages+=(xvfb xauth poppler-utils faketime iproute2 clang libclang-rt-14-dev clang-format
             python3-dbusmock dbus-daemon
             desktop-file-utils appstream file openbox trayer xdotool x11-utils lintian)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
