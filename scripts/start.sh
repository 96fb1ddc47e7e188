#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program. The folder you run this from
# is the program's data folder: data.db, tarif.db and options.dn live there.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$top/scripts/deps.sh"
"$top/scripts/build.sh"
exec "$top/build/app/kelvora"
