#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Keeps a licence line at the top of every file that can carry a comment.
#
# usage: spdx.sh --check [FILE...]   lists the files without the line (or of a kind this script does
#                                    not know) and fails if there are any
#        spdx.sh --add [FILE...]     adds the line where it is missing, in the file's comment form,
#                                    below a first line that must stay first (#!, #compdef, <?xml,
#                                    a man page's '\"); a file that has the line is left alone
# Without FILEs: every file git knows, or outside git every file but the build directories.
#
# The line is "SPDX-License-Identifier: GPL-3.0-or-later", except in the AppStream metainfo, whose
# metadata is CC0-1.0 as its <metadata_license> says. Left out, because they cannot carry a comment
# or are not ours to mark:
#   pictures (png, jpg, svg, ico), the fuzzers' inputs (tests/fuzz/corpus*, regressions*), JSON (it has no comments:
#   the settings files, fuzz corpus and its regressions), LICENSE (the licence itself),
#   share/debian/copyright (machine-readable, it states every file's licence itself), empty
#   placeholders (.keep), Qt Linguist catalogues (ts: lupdate rewrites them whole) and everything
#   the build generates (build*/, outside git).
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:-}
[[ "$mode" == --check || "$mode" == --add ]] || { sed -n '4,10s/^# \{0,1\}//p' "$0" >&2; exit 2; }
shift

if [ $# -gt 0 ]; then
    files=("$@")
elif git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    mapfile -t files < <(git ls-files)
else
    mapfile -t files < <(find . -path './build*' -prune -o -path ./.git -prune -o -type f -print | sed 's|^\./||' | sort)
fi

# style FILE: prints the comment's opening and closing, "skip" for files left out, nothing if unknown.
style() {
    local path=$1 name=${1##*/}
    # The fuzzers' inputs are data for the fuzzers, byte for byte.
    case $path in
    tests/fuzz/corpus*/* | tests/fuzz/regressions*/*) echo skip; return ;;
    esac
    case $name in
    *.png | *.jpg | *.jpeg | *.svg | *.ico | *.bin | *.json | *.ts | LICENSE | .keep) echo skip ;;
    copyright) [[ $path == */debian/copyright ]] && echo skip ;;
    *.cpp | *.h) echo '// |' ;;
    *.qss) echo '/* | */' ;;
    *.md | *.qrc | *.xml | *.xml.in | *.policy | *.policy.in | *.conf) echo '<!-- | -->' ;;
    *.[1-9] | *.[1-9].in) echo '.\" |' ;;
    CMakeLists.txt | *.cmake | *.sh | *.bash | *.fish | *.desktop | *.service | *.service.in | *.rules | *.rules.in | *.supp | *.dict | \
        .gitignore | .clang-format | .clang-tidy | lintian-overrides | _*) echo '# |' ;;
    *)
        # Scripts without an extension: the launcher template, the maintainer scripts, CI's entry.
        if head -c 2 "$path" 2>/dev/null | grep -q '^#!'; then echo '# |'; fi
        ;;
    esac
}

licence() {
    case $1 in
    *.metainfo.xml | *.metainfo.xml.in) echo CC0-1.0 ;;
    *) echo GPL-3.0-or-later ;;
    esac
}

has_line() { head -n 5 "$1" | grep -qF "SPDX-License-Identifier: $2"; }

missing=0
for file in "${files[@]}"; do
    [ -f "$file" ] || continue
    comment=$(style "$file")
    [ "$comment" = skip ] && continue
    if [ -z "$comment" ]; then
        echo "$file: unknown kind of file: give it a comment form in scripts/spdx.sh, or list it as left out"
        missing=$((missing + 1))
        continue
    fi
    id=$(licence "$file")
    has_line "$file" "$id" && continue
    if [ "$mode" = --check ]; then
        echo "$file: no 'SPDX-License-Identifier: $id' line at the top"
        missing=$((missing + 1))
        continue
    fi
    open=${comment%%|*} close=${comment#*|}
    line="${open}SPDX-License-Identifier: ${id}${close}"
    line_for_sed=${line//\\/\\\\}
    # A first line that tools read as the first line stays first.
    if head -n 1 "$file" | grep -qE "^(#!|#compdef|<\?xml|'\\\\\")"; then
        sed -i "1a\\
$line_for_sed" "$file"
    elif [ -s "$file" ]; then
        sed -i "1i\\
$line_for_sed" "$file"
    else
        printf '%s\n' "$line" >"$file"
    fi
    echo "$file: added '$line'"
done

if [ "$mode" = --check ] && [ "$missing" -gt 0 ]; then
    echo "spdx.sh: $missing files without a licence line; scripts/spdx.sh --add adds them" >&2
    exit 1
fi
