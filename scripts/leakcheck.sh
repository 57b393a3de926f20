#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the window's refresh path (the overview and the core pages over a fake sysfs tree) for
# LEAK_TICKS (default 1000) ticks after a warm-up, then as many again, under valgrind: no block
# may be lost, and the heap in use may not grow from the first to the second round.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build-test -DFREQDECK_WERROR=ON
ticks=${LEAK_TICKS:-1000}

# The fixture is rewritten every tick; in memory where possible. Qt puts its runtime directory
# there as well, and all of it goes at exit.
tmp=$(mktemp -d "$( [ -w /dev/shm ] && echo /dev/shm || echo "${TMPDIR:-/tmp}" )/freqdeck-leakcheck.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
export TMPDIR=$tmp XDG_RUNTIME_DIR=$tmp QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES='qt.qpa.*=false'

# Qt's own losses are listed with their reasons in the suppression file.
valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite,indirect \
    --errors-for-leak-kinds=definite,indirect --error-exitcode=1 --num-callers=40 \
    --suppressions=tests/sanitizers/valgrind.supp \
    build-test/tests/leak/test_refreshleak --ticks "$ticks"
