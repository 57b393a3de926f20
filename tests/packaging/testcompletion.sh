#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the bash completion of freqdeck-cli on partial command lines, as bash would on Tab, and
# checks what it offers; the profile names must be the ones the program itself accepts.
# usage: testcompletion.sh COMPLETION_FILE FREQDECK_CLI
set -uo pipefail
completion=$1 cli=$2

# shellcheck source=/dev/null
source "$completion" || { echo "FAIL: cannot source $completion"; exit 1; }
[ "$(complete -p freqdeck-cli 2>/dev/null)" = "complete -F _freqdeck_cli freqdeck-cli" ] ||
    { echo "FAIL: no completion registered for freqdeck-cli"; exit 1; }

failures=0
# expect WANTED WORD...: completes the last WORD of "freqdeck-cli WORD..."; WANTED is the sorted
# offers, space-separated.
expect() {
    local wanted=$1
    shift
    COMP_WORDS=(freqdeck-cli "$@")
    COMP_CWORD=$#
    COMP_LINE="${COMP_WORDS[*]}"
    COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    _freqdeck_cli freqdeck-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    local got
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd' ')
    [ "$got" = "$wanted" ] || { echo "FAIL: 'freqdeck-cli $*': offered '$got', wanted '$wanted'"; failures=$((failures + 1)); }
}

expect "--config-dir --help --json --state-dir --version apply boost defaults delete-profile export-profile load mode power-rules profile profiles rename-profile save save-profile set show status tools why" ""
expect "save save-profile set show status" s
expect "off" boost of
expect "--reapply active guided passive" mode ""
expect "--cpu" set --c
expect "e-cores" set --cpu e
expect "--version" --v
expect "defaults load show status why" --json ""
expect "leave share undecided" tools ""
expect "--watch" show --w
expect "" show ""
expect "" profile fast ""

# The profiles as the program's usage names them: "freqdeck-cli profile a|b|c".
profiles=$("$cli" --help | sed -n 's/^.*freqdeck-cli profile \([a-z|]*\).*$/\1/p' | tr '|' '\n' | sort | paste -sd' ')
[ -n "$profiles" ] || { echo "FAIL: $cli --help names no profiles"; exit 1; }
expect "$profiles" profile ""
expect "performance powersave" profile p

# File names for save and load, in a directory of the test's own.
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkdir "$dir/saved"
touch "$dir/settings.json" "$dir/settings.old" "$dir/other.json"
expect "$dir/saved $dir/settings.json $dir/settings.old" save "$dir/s"
expect "$dir/settings.json $dir/settings.old" load "$dir/settings"

[ "$failures" -eq 0 ] || exit 1
echo "completion: commands, options, profiles and file names as expected"
