#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds freqdeck and starts it; arguments go to the program. Without a cpufreq interface on the
# machine, the program is shown a simulated machine (see scripts/start.sh). Only the program and the
# simulator are built, not the tests, benchmarks and tools (scripts/build.sh builds everything).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
targets=(freqdeck)
if pkg-config --exists fuse3 2>/dev/null; then
    targets+=(freqdeck-cpufreq-sim)
fi
cmake --build build -j"$(nproc)" --target "${targets[@]}"
exec scripts/start.sh build "$@"
