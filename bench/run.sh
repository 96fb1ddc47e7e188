#!/usr/bin/env bash
# Builds in release mode and prints the benchmark figures, ours beside the baselines.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$top/scripts/deps.sh"
cmake -S "$top" -B "$top/build-bench" -DCMAKE_BUILD_TYPE=Release -DKELVORA_BENCH=ON \
      -DBUILD_TESTING=OFF >/dev/null
cmake --build "$top/build-bench" --parallel "$(nproc)" --target report_bench >/dev/null
"$top/build-bench/bench/report_bench"
