#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds every test with AddressSanitizer and UndefinedBehaviorSanitizer into build-asan and runs
# them. Any report (memory error, undefined behaviour, leak) fails the test that made it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
# The benchmarks run nothing under ctest; the sanitizers have nothing to watch in them.
# -O1, as the sanitizers' own documentation suggests: reports as readable, and a faster build.
scripts/build.sh build-asan -DFREQDECK_SANITIZE=ON -DFREQDECK_WERROR=ON -DFREQDECK_BUILD_BENCH=OFF \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g -DNDEBUG"

# Qt is not instrumented; the only leaks let through are Qt's own, listed with their reasons in
# the suppression file. Whole stacks through Qt need the slow unwinder.
export ASAN_OPTIONS=detect_leaks=1:fast_unwind_on_malloc=0:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1
export LSAN_OPTIONS=suppressions=$PWD/tests/sanitizers/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cd build-asan
# test_package builds and installs a release package of its own, with no sanitizer in it: the
# normal run has already done that, so it is left out here.
ctest --output-on-failure -j"$(nproc)" -E '^test_package$'
