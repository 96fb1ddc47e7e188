#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test headless through CTest: first the
# sources' form and shape are checked, then the fuzzers run briefly and the suite built with
# AddressSanitizer and UndefinedBehaviorSanitizer, then the ordinary build's suite, the
# end-to-end test on a real link included.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$top/scripts/deps.sh" --tests
export QT_QPA_PLATFORM=offscreen

echo "== the sources' form and shape"
"$top/scripts/format.sh" --check
python3 "$top/scripts/structure_check.py"

echo "== fuzzing the readers of outside text"
"$top/scripts/fuzz.sh" 6

echo "== the suite under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S "$top" -B "$top/build-asan" -DCMAKE_BUILD_TYPE=Debug -DKELVORA_SANITIZE=ON >/dev/null
cmake --build "$top/build-asan" --parallel "$(nproc)" >/dev/null
(cd "$top/build-asan" && ctest --output-on-failure --parallel "$(nproc)" -E "e2e_link|e2e_tariff")

echo "== the suite"
"$top/scripts/build.sh"
cd "$top/build"
ctest --output-on-failure --parallel "$(nproc)"
