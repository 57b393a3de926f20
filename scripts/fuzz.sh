#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fuzzes the settings-file loader and the root helper's request checks with libFuzzer for
# FUZZ_SECONDS (default 60) seconds in all, three quarters of it the loader, each starting from its
# checked-in corpus, then replays every input kept with leak detection. A broken rule,
# crash, sanitizer report or leak stops it and leaves the input in build-fuzz/artifacts/;
# tests/fuzz/README.md says how that becomes a regression test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
seconds=${FUZZ_SECONDS:-60}

# Only the fuzz target is built: the model, the test fixture and the harness, by clang.
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
    -DFREQDECK_FUZZ=ON -DFREQDECK_WERROR=ON >/dev/null
cmake --build build-fuzz --target fuzz_settingsload fuzz_helperrequest -j"$(nproc)"
helper_seconds=$((seconds / 4))
seconds=$((seconds - helper_seconds))

fuzzer=build-fuzz/tests/fuzz/fuzz_settingsload
# New inputs go to build-fuzz/corpus, the first directory; the checked-in ones are only read.
corpora=(build-fuzz/corpus tests/fuzz/corpus tests/fuzz/regressions)
mkdir -p build-fuzz/corpus build-fuzz/artifacts
# The harness's tree is rewritten after every input: in memory that is five times faster. Trees
# that a stopped run leaves behind go at exit.
tmp=$(mktemp -d "$( [ -w /dev/shm ] && echo /dev/shm || echo "${TMPDIR:-/tmp}" )/freqdeck-fuzz.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
export TMPDIR=$tmp
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

failed() {
    echo "fuzz.sh: a fuzz target failed on an input; see tests/fuzz/README.md:" >&2
    ls -l build-fuzz/artifacts/ >&2
    exit 1
}

# Leaks are left to the replay below: Qt is built without frame pointers, so telling its own
# leaks from ours needs the slow unwinder, which would cut the rate of inputs to a seventh.
ASAN_OPTIONS=detect_leaks=0 "$fuzzer" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    -dict=tests/fuzz/settings.dict -artifact_prefix=build-fuzz/artifacts/ "${corpora[@]}" || failed

ASAN_OPTIONS=detect_leaks=1:fast_unwind_on_malloc=0 \
LSAN_OPTIONS=suppressions=$PWD/tests/sanitizers/lsan.supp:print_suppressions=0 \
    "$fuzzer" -runs=0 -detect_leaks=1 -artifact_prefix=build-fuzz/artifacts/ "${corpora[@]}" || failed

# The helper's requests: pure checks on bytes, no tree to rewrite.
helper_fuzzer=build-fuzz/tests/fuzz/fuzz_helperrequest
mkdir -p build-fuzz/corpus-helper
ASAN_OPTIONS=detect_leaks=0 "$helper_fuzzer" -max_total_time="$helper_seconds" -timeout=10 -print_final_stats=1 \
    -artifact_prefix=build-fuzz/artifacts/ build-fuzz/corpus-helper tests/fuzz/corpus-helper || failed
ASAN_OPTIONS=detect_leaks=1:fast_unwind_on_malloc=0 \
LSAN_OPTIONS=suppressions=$PWD/tests/sanitizers/lsan.supp:print_suppressions=0 \
    "$helper_fuzzer" -runs=0 -detect_leaks=1 -artifact_prefix=build-fuzz/artifacts/ build-fuzz/corpus-helper tests/fuzz/corpus-helper || failed
