#!/usr/bin/env bash
# Builds freqdeck with warnings as errors and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build-test -DFREQDECK_WERROR=ON
cd build-test
ctest --output-on-failure -j"$(nproc)"
