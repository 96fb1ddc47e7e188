#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while (default 6 s each).
#   scripts/fuzz.sh [SECONDS-EACH [BUILD-DIR]]
# For a long run, give more seconds, e.g. scripts/fuzz.sh 600; findings are written to
# build-fuzz/findings/. The corpora grow in build-fuzz/corpus/ between runs.
# BUILD-DIR names a folder already configured with KELVORA_FUZZ (the test command's
# sanitizers' build, with the logic's tests beside the fuzzers): it is built and its fuzzers
# run, with the findings and corpora there.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-6}"
build="${2:-}"
command -v clang++ >/dev/null || { echo "clang++ is missing: apt-get install clang"; exit 1; }
if [ -z "$build" ]; then
  build="$top/build-fuzz"
  cmake -S "$top" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DKELVORA_FUZZ=ON \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF >/dev/null
fi
cmake --build "$build" --parallel "$(nproc)" >/dev/null
cd "$build"
mkdir -p findings
failed=0
for target in fuzz/fuzz_*; do
  [ -f "$target" ] && [ -x "$target" ] || continue
  name="$(basename "$target")"
  mkdir -p "corpus/$name"
  if "$target" -max_total_time="$seconds" -artifact_prefix="findings/$name-" \
       "corpus/$name" >"findings/$name.log" 2>&1; then
    echo "fuzz $name: $(grep -Eo '#[0-9]+' "findings/$name.log" | tail -n 1 | tr -d '#') runs, no finding"
  else
    echo "fuzz $name: FINDING, see $build/findings/$name.log"
    tail -n 20 "findings/$name.log"
    failed=1
  fi
done
true
exit "$failed"
