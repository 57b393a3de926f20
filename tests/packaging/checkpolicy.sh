#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The polkit action: valid against polkit's DTD where polkit is installed (well-formed otherwise),
# and granting what the launcher relies on and no more.
# usage: checkpolicy.sh POLICY WINDOW_PROGRAM
set -uo pipefail
policy=$1 window=$2
command -v xmllint >/dev/null || { echo "skipped: xmllint is not installed (libxml2-utils)"; exit 77; }

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

dtd=/usr/share/polkit-1/policyconfig-1.dtd
if [ -r "$dtd" ]; then
    # Resolve the DOCTYPE to the local copy: no network, and the DTD polkitd itself ships.
    catalog=$(mktemp)
    trap 'rm -f "$catalog"' EXIT
    cat > "$catalog" <<CATALOG
<?xml version="1.0"?>
<catalog xmlns="urn:oasis:names:tc:entity:xmlns:xml:catalog">
  <system systemId="http://www.freedesktop.org/software/polkit/policyconfig-1.dtd" uri="file://$dtd"/>
</catalog>
CATALOG
    XML_CATALOG_FILES=$catalog xmllint --noout --nonet --valid "$policy" || fail "not valid against $dtd"
else
    echo "note: $dtd is missing (polkitd not installed): checking well-formedness only"
    xmllint --noout --nonet "$policy" || fail "not well-formed"
fi

value() { xmllint --nonet --xpath "string($1)" "$policy" 2>/dev/null; }

# pkexec's start of the root window, and the helper's changes: nothing else.
ids=$(value "concat(//action[1]/@id, ' ', //action[2]/@id, ' ', count(//action))")
[ "$ids" = "org.freqdeck.Freqdeck.run org.freqdeck.Freqdeck.change 2" ] || fail "actions are '$ids'"
for id in org.freqdeck.Freqdeck.run org.freqdeck.Freqdeck.change; do
    [ "$(basename "$policy" .policy)" = "${id%.*}" ] || fail "file not named after the action's namespace ${id%.*}"
    action="//action[@id='$id']"
    [ -n "$(value "$action/description")" ] && [ -n "$(value "$action/message")" ] ||
        fail "$id: description or message empty: the password dialog shows them"
    # An administrator's password, at the active local session only.
    for key in allow_any allow_inactive allow_active; do
        want=no
        [ $key = allow_active ] && want=auth_admin_keep
        got=$(value "$action/defaults/$key")
        [ "$got" = "$want" ] || fail "$id: $key is '$got', not '$want'"
    done
done
# The helper's action lets no program run.
[ "$(value "count(//action[@id='org.freqdeck.Freqdeck.change']/annotate)")" = 0 ] ||
    fail "org.freqdeck.Freqdeck.change carries annotations"

annotation() { value "//action[@id='org.freqdeck.Freqdeck.run']/annotate[@key='org.freedesktop.policykit.exec.$1']"; }
[ "$(annotation path)" = "$window" ] || fail "exec.path is '$(annotation path)', not the window program $window"
[ -n "$(annotation allow_gui)" ] || fail "exec.allow_gui is empty: pkexec would drop DISPLAY and XAUTHORITY"

[ "$failures" -eq 0 ] || exit 1
echo "policy: valid, and grants what the launcher needs"
