#!/usr/bin/env bash
# Puts the C++ sources in the tree's form (.clang-format). With --check it changes nothing
# and fails, naming each file that is not in that form.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$top"
mapfile -t files < <(find . -path './build*' -prune -o -path './.git' -prune -o \
                          \( -name '*.cpp' -o -name '*.h' \) -type f -print | sort)
if [ "${1:-}" = "--check" ]; then
  bad=()
  for f in "${files[@]}"; do
    clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || bad+=("$f")
  done
  if [ ${#bad[@]} -gt 0 ]; then
    echo "Not in the tree's form (run scripts/format.sh): ${bad[*]}" >&2
    exit 1
  fi
  echo "All ${#files[@]} sources in the tree's form."
else
  clang-format -i "${files[@]}"
fi
