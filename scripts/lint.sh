#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Static checks: a licence line at the top of every file that can carry one (scripts/spdx.sh),
# clang-format (.clang-format) over every C++ file of the tree, and clang-tidy (.clang-tidy) over
# every source file that the build compiles. Any finding fails.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/spdx.sh --check
scripts/install-deps.sh
# clang-tidy reads the compile commands of the test build and needs its generated files (moc).
scripts/build.sh build-test -DFREQDECK_WERROR=ON

if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    mapfile -t files < <(git ls-files '*.cpp' '*.h')
else
    mapfile -t files < <(find . -path './build*' -prune -o \( -name '*.cpp' -o -name '*.h' \) -print | sort)
fi
echo "clang-format: ${#files[@]} files"
clang-format-14 --dry-run -Werror "${files[@]}"

# The project's sources as compiled, without what the build generates.
mapfile -t sources < <(python3 - <<'PY'
import json, os
root = os.getcwd() + os.sep
entries = json.load(open('build-test/compile_commands.json'))
files = {os.path.realpath(os.path.join(e['directory'], e['file'])) for e in entries}
for f in sorted(files):
    if f.startswith(root) and not os.path.relpath(f, root).startswith('build'):
        print(f)
PY
)
echo "clang-tidy: ${#sources[@]} files"
run-clang-tidy-14 -p build-test -j "$(nproc)" -quiet "${sources[@]}" >build-test/clang-tidy.log 2>&1 || {
    grep -E 'warning:|error:' -A3 build-test/clang-tidy.log >&2 || cat build-test/clang-tidy.log >&2
    echo "lint.sh: clang-tidy found the above (whole log: build-test/clang-tidy.log)" >&2
    exit 1
}
