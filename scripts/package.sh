#!/usr/bin/env bash
# Builds the Debian package into build-package/: kelvora_VERSION_ARCH.deb.
#   sudo apt install ./build-package/kelvora_*.deb
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$top/scripts/deps.sh"
# The same package, byte for byte, from the same commit: every time in it is the commit's.
SOURCE_DATE_EPOCH="$(git -C "$top" log -1 --format=%ct 2>/dev/null || date +%s)"
export SOURCE_DATE_EPOCH
cmake -S "$top" -B "$top/build-package" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
      -DBUILD_TESTING=OFF >/dev/null
cmake --build "$top/build-package" --parallel "$(nproc)"
(cd "$top/build-package" && cpack -G DEB)
ls -l "$top"/build-package/kelvora_*.deb
