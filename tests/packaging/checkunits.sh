#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The units as the build configures them: systemd-analyze verify finds nothing, their sandbox keeps
# systemd-analyze security's exposure at 2.0 or below, the restore units' command refuses a
# settings file that others may write, saying why on standard error (the journal), and the helper's
# unit is a D-Bus service under the name its activation file gives.
# usage: checkunits.sh UNIT...
set -uo pipefail
command -v systemd-analyze >/dev/null || { echo "skipped: systemd-analyze is not installed"; exit 77; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

for unit in "$@"; do
    name=$(basename "$unit")
    # verify exits 0 on mere warnings; any line about the unit is a fault here.
    found=$(systemd-analyze verify "$unit" 2>&1)
    status=$?
    [ "$status" -eq 0 ] && ! grep -qF "$name" <<<"$found" || fail "verify $name (status $status): $found"

    # The threshold counts in tenths: 20 is a rating of 2.0.
    rating=$(systemd-analyze security --offline=true --threshold=20 "$unit" 2>&1)
    status=$?
    echo "$name: $(grep 'Overall exposure' <<<"$rating")"
    [ "$status" -eq 0 ] || fail "$name: exposure above 2.0 (status $status):"$'\n'"$(grep "✗" <<<"$rating")"

    if [ "$name" = freqdeck-helper.service ]; then
        [ "$(sed -n 's/^Type=//p' "$unit")" = dbus ] && [ "$(sed -n 's/^BusName=//p' "$unit")" = org.freqdeck.Helper ] ||
            fail "$name is not a D-Bus service named org.freqdeck.Helper"
        continue
    fi

    if [ "$name" = freqdeck-power-rules.service ]; then
        # Its files are checked by the program itself (test_powerrules); here: the right command,
        # and the directory it keeps the manual choice in.
        [[ "$(sed -n 's/^ExecStart=//p' "$unit")" == *" power-rules apply" ]] &&
            [ "$(sed -n 's/^RuntimeDirectory=//p' "$unit")" = freqdeck ] ||
            fail "$name does not run 'power-rules apply' with /run/freqdeck"
        continue
    fi

    # The unit's own command, on a file that anyone could have written instead of its own file.
    file="$work/settings.json"
    echo '[]' > "$file"
    chmod 666 "$file"
    command=$(sed -n 's/^ExecStart=//p' "$unit")
    [[ "$command" == *" /etc/freqdeck/settings.json" ]] || fail "$name runs '$command', not on /etc/freqdeck/settings.json"
    read -ra words <<<"${command% *} $file"
    "${words[@]}" > "$work/out" 2> "$work/err"
    status=$?
    [ "$status" -eq 2 ] && grep -q "refusing to load $file: the file '$file' is writable by everyone" "$work/err" ||
        fail "$name: '${words[*]}' exited $status on a file anyone may write, saying: $(cat "$work/err")"
done

[ "$failures" -eq 0 ] || exit 1
echo "units: verified, sandboxed and refusing untrusted files"
