#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders the manual pages as man would, failing on any groff warning, and checks that they carry
# the version and that freqdeck-cli's page covers every command and option its --help names.
# usage: testmanpages.sh MAN_DIR FREQDECK_CLI VERSION
set -uo pipefail
man_dir=$1 cli=$2 version=$3

command -v groff >/dev/null || { echo "skipped: groff is not installed (groff-base)"; exit 77; }

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

for page in freqdeck.1 freqdeck-cli.1; do
    file="$man_dir/$page"
    [ -f "$file" ] || { fail "$file is missing"; continue; }
    warnings=$(groff -ww -b -z -man -Tutf8 "$file" 2>&1)
    [ -z "$warnings" ] || fail "$page: $warnings"
    text=$(MANWIDTH=80 groff -man -Tutf8 -P-cbou "$file" 2>/dev/null)
    declare "text_${page//[.-]/_}=$text"
    [[ "$text" == *"freqdeck $version"* ]] || fail "$page does not name version $version"
    for section in NAME SYNOPSIS DESCRIPTION "EXIT STATUS" FILES EXAMPLES; do
        grep -qx "$section" <<<"$text" || fail "$page has no $section section"
    done
done

# What the program's help names, the page must describe.
cli_page=${text_freqdeck_cli_1:-}
help=$("$cli" --help)
options=$(grep -oE -- '(^|[ |[])--?[a-z][a-z-]*' <<<"$help" | sed 's/^[ |[]//' | sort -u)
[ -n "$options" ] || fail "$cli --help names no options"
for word in $options show profile save load boost mode set; do
    [[ "$cli_page" == *"$word"* ]] || fail "freqdeck-cli.1 does not mention $word from --help"
done
for profile in $(sed -n 's/^.*freqdeck-cli profile \([a-z|]*\).*$/\1/p' <<<"$help" | tr '|' ' '); do
    grep -qE "^ +$profile( |$)" <<<"$cli_page" || fail "freqdeck-cli.1 does not describe profile $profile"
done

[ "$failures" -eq 0 ] || exit 1
echo "manual pages: render without warnings, name $version and cover the commands"
