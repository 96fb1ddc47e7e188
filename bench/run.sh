#!/usr/bin/env bash
# Builds in release mode and prints every benchmark figure beside its baseline. Arguments
# name parts to run alone (idle hidden syncs offline startup append grid totals spend preview
# pdf poll link);
# KELVORA_BENCH_ROUNDS sets the rounds of each (3). Other builds on the machine move the
# figures: the load is printed first, instructions (with valgrind) stand beside the times
# that the load moves most, a part during which the font cache was rewritten is flagged and
# run again, and the last line is the verdict.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$top/scripts/deps.sh" --bench
cmake -S "$top" -B "$top/build-bench" -DCMAKE_BUILD_TYPE=Release -DKELVORA_BENCH=ON \
      -DBUILD_TESTING=OFF >/dev/null
cmake --build "$top/build-bench" --parallel "$(nproc)" --target bench minimal_qt kelvora >/dev/null
echo "$(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs), load $(cut -d' ' -f1-3 /proc/loadavg)"
"$top/build-bench/bench/bench" all "$top/build-bench/app/kelvora" "$top/build-bench/bench/minimal_qt" "$@"
echo "load at the end $(cut -d' ' -f1-3 /proc/loadavg)"
