#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package with scripts/package.sh and checks what a user would get from it: the
# control fields, the file list with owners and modes, that the pieces point at each other (menu
# entry -> launcher -> polkit action -> window; metainfo -> menu entry; units -> freqdeck-cli; D-Bus
# activation -> helper unit -> helper, and the bus policy for its name), that
# the packaged freqdeck-cli runs, and that lintian finds no error.
# usage: testpackage.sh SOURCE_DIR WORK_DIR VERSION
set -uo pipefail
source_dir=$1 work=$2 version=$3

for tool in dpkg-deb dpkg-shlibdeps file xmllint lintian; do
    command -v $tool >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

deb=$("$source_dir/scripts/package.sh" "$work/build") || { echo "FAIL: scripts/package.sh"; exit 1; }
echo "package: $deb"

# --- control fields ---
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = freqdeck ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', not $version"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture is '$(field Architecture)'"
[[ "$(field Section)" =~ ^(admin|utils)$ ]] || fail "Section is '$(field Section)'"
[[ "$(field Maintainer)" =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]] || fail "Maintainer '$(field Maintainer)' is not 'Name <address>'"
[ -n "$(field Description)" ] || fail "no Description"
depends=$(field Depends)
# The names alone, one a line: "a (>= 1), b | c" gives a, b and c.
depends_names=$(tr ',|' '\n\n' <<<"$depends" | awk '{ print $1 }')
for lib in libqt5core5a libqt5gui5 libqt5widgets5 libqt5dbus5 libstdc++6 libc6; do
    grep -qxF "$lib" <<<"$depends_names" || fail "Depends lacks $lib: $depends"
done
[[ "$(field Recommends)$depends" == *pkexec* ]] || fail "neither Depends nor Recommends names pkexec"

# --- file list: path, mode, owner ---
listing=$(dpkg-deb -c "$deb" | awk '{ sub(/^\.\//, "", $6); print $1, $2, "/" $6 }')
entry() { awk -v p="$1" '$3 == p' <<<"$listing"; }
window=/opt/freqdeck/bin/freqdeck
user_window=/usr/libexec/freqdeck/freqdeck
helper=/usr/libexec/freqdeck/freqdeck-helper
executables=("$window" "$user_window" "$helper" /usr/bin/freqdeck /usr/bin/freqdeck-cli)
data=(/usr/share/applications/org.freqdeck.Freqdeck.desktop
      /usr/share/metainfo/org.freqdeck.Freqdeck.metainfo.xml
      /usr/share/polkit-1/actions/org.freqdeck.Freqdeck.policy
      /lib/systemd/system/freqdeck-restore.service
      /lib/systemd/system/freqdeck-restore-resume.service
      /lib/systemd/system/freqdeck-power-rules.service
      /usr/lib/udev/rules.d/60-freqdeck-power-rules.rules
      /lib/systemd/system/freqdeck-helper.service
      /usr/share/dbus-1/system-services/org.freqdeck.Helper.service
      /usr/share/dbus-1/system.d/org.freqdeck.Helper.conf
      /usr/share/man/man1/freqdeck.1.gz
      /usr/share/man/man1/freqdeck-cli.1.gz
      /usr/share/bash-completion/completions/freqdeck-cli
      /usr/share/zsh/vendor-completions/_freqdeck-cli
      /usr/share/fish/vendor_completions.d/freqdeck-cli.fish
      /usr/share/doc/freqdeck/copyright
      /usr/share/doc/freqdeck/changelog.gz)
sizes=(16 24 32 48 64 128 256)
for size in "${sizes[@]}"; do
    data+=("/usr/share/icons/hicolor/${size}x${size}/apps/freqdeck.png")
done
for path in "${executables[@]}"; do
    # Exactly rwxr-xr-x: above all never set-user-ID, which Qt refuses and which would hand root
    # to anyone who can start it.
    [ "$(entry "$path" | cut -d' ' -f1,2)" = "-rwxr-xr-x root/root" ] ||
        fail "$path: '$(entry "$path")', wanted -rwxr-xr-x root/root"
done
for path in "${data[@]}"; do
    [ "$(entry "$path" | cut -d' ' -f1,2)" = "-rw-r--r-- root/root" ] ||
        fail "$path: '$(entry "$path")', wanted -rw-r--r-- root/root"
done
special=$(awk '$1 ~ /[sStT]/' <<<"$listing")
[ -z "$special" ] || fail "set-ID or sticky entries: $special"
strays=$(awk '$3 ~ /^\/(usr\/local|home|root|tmp|work)\//' <<<"$listing")
[ -z "$strays" ] || fail "files outside system paths: $strays"
others=$(awk '$2 != "root/root"' <<<"$listing")
[ -z "$others" ] || fail "not owned by root: $others"

# --- the pieces point at each other ---
tree="$work/tree"
rm -rf "$tree" "$work/control"
dpkg-deb -x "$deb" "$tree" && dpkg-deb -e "$deb" "$work/control" || { echo "FAIL: cannot unpack"; exit 1; }

policy="$tree/usr/share/polkit-1/actions/org.freqdeck.Freqdeck.policy"
exec_path=$(xmllint --nonet --xpath "string(//annotate[@key='org.freedesktop.policykit.exec.path'])" "$policy")
[ "$exec_path" = "$window" ] || fail "the polkit action is for '$exec_path', not $window"
[[ "$(file -b "$tree$window")" == *ELF*executable* ]] || fail "$window is not an executable: $(file -b "$tree$window")"
# pkexec matches the action by the exact path the launcher hands it.
grep -qx "program='$window'" "$tree/usr/bin/freqdeck" || fail "the launcher does not start $window"

# A user's launcher starts the user's copy where the helper answers: D-Bus activates the helper's
# unit by the name its activation file gives, the unit runs the packaged helper under that name,
# the bus lets root alone own it, and polkit knows the action the helper asks about.
grep -qx "user_program='$user_window'" "$tree/usr/bin/freqdeck" || fail "the launcher does not start $user_window"
[[ "$(file -b "$tree$user_window")" == *ELF*executable* ]] || fail "$user_window is not an executable"
activation="$tree/usr/share/dbus-1/system-services/org.freqdeck.Helper.service"
bus_name=$(sed -n 's/^Name=//p' "$activation")
helper_unit=$(sed -n 's/^SystemdService=//p' "$activation")
[ "$bus_name" = org.freqdeck.Helper ] && [ -f "$tree/lib/systemd/system/$helper_unit" ] ||
    fail "D-Bus activates '$helper_unit' for '$bus_name'"
[ "$(sed -n 's/^BusName=//p' "$tree/lib/systemd/system/$helper_unit" 2>/dev/null)" = "$bus_name" ] ||
    fail "$helper_unit does not take $bus_name"
[ "$(sed -n 's/^ExecStart=//p' "$tree/lib/systemd/system/$helper_unit" 2>/dev/null)" = "$helper" ] ||
    fail "$helper_unit does not run $helper"
bus_policy="$tree/usr/share/dbus-1/system.d/org.freqdeck.Helper.conf"
[ "$(xmllint --nonet --xpath "string(//policy[@user='root']/allow/@own)" "$bus_policy")" = "$bus_name" ] &&
    [ "$(xmllint --nonet --xpath "count(//allow[@own])" "$bus_policy")" = 1 ] ||
    fail "the bus policy does not give $bus_name to root alone"
xmllint --nonet --xpath "//action[@id='org.freqdeck.Freqdeck.change']" "$policy" >/dev/null 2>&1 ||
    fail "the polkit action org.freqdeck.Freqdeck.change that the helper asks about is not packaged"

desktop="$tree/usr/share/applications/org.freqdeck.Freqdeck.desktop"
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
[ -x "$tree/usr/bin/${exec_line%% *}" ] || fail "the menu entry runs '$exec_line', which the package has not in /usr/bin"
icon=$(sed -n 's/^Icon=//p' "$desktop")
for size in "${sizes[@]}"; do
    png="$tree/usr/share/icons/hicolor/${size}x${size}/apps/$icon.png"
    [[ "$(file -b "$png" 2>&1)" == "PNG image data, $size x $size, 8-bit/color RGBA"* ]] ||
        fail "icon $icon at $size: $(file -b "$png" 2>&1)"
done

metainfo="$tree/usr/share/metainfo/org.freqdeck.Freqdeck.metainfo.xml"
component=$(xmllint --nonet --xpath "string(/component/id)" "$metainfo")
[ "$component.metainfo.xml" = "$(basename "$metainfo")" ] || fail "metainfo of '$component' in $(basename "$metainfo")"
launchable=$(xmllint --nonet --xpath "string(/component/launchable[@type='desktop-id'])" "$metainfo")
[ -f "$tree/usr/share/applications/$launchable" ] || fail "the metainfo launches '$launchable', which is not packaged"

for unit in "$tree"/lib/systemd/system/*.service; do
    for program in $(sed -n 's/^ExecStart=\([^ ]*\).*/\1/p' "$unit"); do
        [ -x "$tree$program" ] || fail "$(basename "$unit") starts $program, which is not packaged"
    done
done

for script in postinst prerm postrm; do
    [ -x "$work/control/$script" ] && sh -n "$work/control/$script" || fail "maintainer script $script"
done

# The stripped, packaged companion still runs.
got=$("$tree/usr/bin/freqdeck-cli" --version 2>&1)
[[ "$got" == *"$version"* ]] || fail "packaged freqdeck-cli --version said: $got"

# --- installs, and purges without a trace ---
# In a throwaway copy of this machine's root: an overlay in a private mount namespace, so that dpkg,
# the maintainer scripts and systemctl change only the copy. The units are enabled in the copy
# first: a purge must take their links along.
if [ "$(id -u)" -ne 0 ] || ! command -v unshare >/dev/null; then
    echo "install and purge: skipped, they need root and unshare"
else
    overlay="$work/overlay"
    rm -rf "$overlay"
    mkdir -p "$overlay/upper" "$overlay/work" "$overlay/root"
    unshare --mount --propagation private bash -s "$overlay" "$deb" <<'INSIDE' || fail "install and purge"
set -uo pipefail
overlay=$1 deb=$2 root=$1/root
mount -t overlay overlay -o "lowerdir=/,upperdir=$overlay/upper,workdir=$overlay/work" "$root" ||
    { echo "cannot mount an overlay of /"; exit 1; }
in_root() { DEBIAN_FRONTEND=noninteractive chroot "$root" "$@"; }
status=0
in_root dpkg --install "$deb" >"$overlay/install.log" 2>&1 || { cat "$overlay/install.log"; exit 1; }
[ "$(in_root dpkg-query -W -f='${Status}' freqdeck)" = "install ok installed" ] || { echo "not installed"; status=1; }
files=$(in_root dpkg-query -L freqdeck)
in_root freqdeck-cli --version >/dev/null || { echo "installed freqdeck-cli does not run"; status=1; }
in_root systemctl enable freqdeck-restore.service freqdeck-restore-resume.service >/dev/null 2>&1 ||
    { echo "cannot enable the installed units"; status=1; }
[ -n "$(find "$root/etc/systemd/system" -name 'freqdeck-*')" ] || { echo "enabling made no links"; status=1; }
in_root dpkg --purge freqdeck >"$overlay/purge.log" 2>&1 || { cat "$overlay/purge.log"; exit 1; }
in_root dpkg-query -W freqdeck >/dev/null 2>&1 && { echo "dpkg still knows freqdeck after the purge"; status=1; }
while IFS= read -r path; do
    if [ -e "$root$path" ] && [ ! -d "$root$path" ]; then echo "left after the purge: $path"; status=1; fi
done <<<"$files"
left=$(find "$root/etc/systemd/system" "$root/opt" -name 'freqdeck*')
[ -z "$left" ] || { echo "left after the purge: $left"; status=1; }
umount "$root"
[ "$status" -eq 0 ] && echo "install and purge: $(wc -l <<<"$files") paths installed, none left behind"
exit $status
INSIDE
    rm -rf "$overlay"
fi

# Debian's own checks; the overrides that the package brings say why each is overridden.
lintian_output=$(lintian --fail-on error "$deb" 2>&1)
lintian_status=$?
echo "$lintian_output" | grep -v 'running with root privileges'
[ "$lintian_status" -eq 0 ] || fail "lintian exited with $lintian_status"

[ "$failures" -eq 0 ] || exit 1
echo "package: contents, fields and cross-references as expected; no lintian errors"
