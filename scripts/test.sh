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

# One clang build serves the fuzzers and the sanitizers' suite: the logic without widgets
# (storage, accounting, platform, settings, the tariffs' input check, the report's totals,
# the link choice, the spending) and its tests, with AddressSanitizer and
# UndefinedBehaviorSanitizer, asserts on and some optimisation so that the fuzzers get far.
# The windows' tests and the end-to-end ones run in the ordinary build below.
echo "== fuzzing the readers of outside text"
cmake -S "$top" -B "$top/build-asan" -DCMAKE_CXX_COMPILER=clang++ -DKELVORA_FUZZ=ON \
      -DKELVORA_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" >/dev/null
"$top/scripts/fuzz.sh" 6 "$top/build-asan"

echo "== the logic's suite under AddressSanitizer and UndefinedBehaviorSanitizer"
(cd "$top/build-asan" && ctest --output-on-failure --parallel "$(nproc)")

echo "== the suite"
"$top/scripts/build.sh"
cd "$top/build"
ctest --output-on-failure --parallel "$(nproc)"
