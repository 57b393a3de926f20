#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the benchmarks (Release, in build-bench) and runs every benchmark program, each ending
# with its summary of ratios against its baseline: the system-call floor for the model and the
# pages, a minimal Qt program for start-up. Arguments go to every program, for example
# --benchmark_filter=Core or --memory-rounds=0. BENCH_REPETITIONS sets the repetitions (default 5).
# bench_startup needs root (or unprivileged user namespaces) for its private mount namespace.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DFREQDECK_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench -j"$(nproc)" --target benchmarks >/dev/null

echo "machine: $(grep -m1 '^model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'), $(nproc) cores, kernel $(uname -r)"
while read -r program; do
    [ -n "$program" ] || continue
    echo
    echo "== $program"
    "build-bench/bench/$program" --benchmark_repetitions="${BENCH_REPETITIONS:-5}" \
        --benchmark_report_aggregates_only=true --benchmark_color=false "$@"
done < build-bench/bench/programs.txt
