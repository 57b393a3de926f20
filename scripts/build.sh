#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Configures and builds freqdeck into the given build directory (default: build).
set -euo pipefail
cd "$(dirname "$0")/.."
builddir=${1:-build}
shift || true
cmake -S . -B "$builddir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$builddir" -j"$(nproc)"
