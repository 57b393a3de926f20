#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds freqdeck with warnings as errors, runs every test, then the quality gates.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build-test -DFREQDECK_WERROR=ON
cd build-test
ctest --output-on-failure -j"$(nproc)"
cd ..

# The quality gates; README.md says how to run each one alone.
scripts/check-asan.sh
scripts/fuzz.sh
scripts/lint.sh
scripts/leakcheck.sh
