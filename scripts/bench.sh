#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds and runs the benchmarks on generated data (kept in build/bench-data).
# Extra arguments go to every benchmark program, e.g. --benchmark_filter=LoadData.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh bench
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DTALLYRA_BENCH=ON >/dev/null
cmake --build build -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
mkdir -p build/bench-data
status=0
for b in build/bench/bench_*; do
  [[ -f "$b" && -x "$b" ]] || continue
  echo "== $(basename "$b")"
  "$b" --data-dir=build/bench-data --benchmark_repetitions=5 \
       --benchmark_report_aggregates_only=true "$@" || status=1
done
# Ten million entries: the programs that measure one size run again on two account sets of
# 5,000,000 entries each (generated once, in about a quarter of an hour, then kept).
for b in bench_entries bench_reports; do
  echo "== $b --per-set=5000000"
  "build/bench/$b" --data-dir=build/bench-data --per-set=5000000 --benchmark_repetitions=5 \
       --benchmark_report_aggregates_only=true "$@" || status=1
done
exit $status
