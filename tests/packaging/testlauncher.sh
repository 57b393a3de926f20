#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The launcher as configured by the build, with stand-in windows at WINDOW (root's) and USER_WINDOW:
# root starts its window itself with its arguments; anyone else starts the user's window with them
# where freqdeck-helper answers on the system bus, and otherwise goes through pkexec without any (Qt
# would load plugins named in them as root), and without pkexec or a display it stops with a
# message instead of failing somewhere further on.
# usage: testlauncher.sh LAUNCHER WINDOW USER_WINDOW
set -uo pipefail
launcher=$1 window=$2 user_window=$3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The stand-in window and pkexec write what they were given, one argument a line.
mkdir -p "$(dirname "$window")"
cat > "$window" <<'STUB'
#!/bin/sh
{ echo "uid=$(id -u)"; for a in "$@"; do echo "arg=$a"; done; } > "$FREQDECK_TEST_OUT/window"
exit 7
STUB
sed 's|/window"|/userwindow"|' "$window" > "$user_window"
mkdir "$work/bin" "$work/nopkexec" "$work/helper" "$work/out"
chmod 777 "$work/out"
cat > "$work/bin/pkexec" <<'STUB'
#!/bin/sh
for a in "$@"; do echo "arg=$a"; done > "$FREQDECK_TEST_OUT/pkexec"
exit 126
STUB
# busctl as the helper answers it (the case of $work/helper), saying what it was asked.
cat > "$work/helper/busctl" <<'STUB'
#!/bin/sh
echo "$*" > "$FREQDECK_TEST_OUT/busctl"
STUB
cp "$work/bin/pkexec" "$work/helper/pkexec"
chmod 755 "$window" "$user_window" "$work/bin/pkexec" "$work/helper/pkexec" "$work/helper/busctl"
# The launcher needs id and nothing else from PATH; pkexec is there or not as each case wants.
ln -s "$(command -v id)" "$work/bin/id"
ln -s "$(command -v id)" "$work/nopkexec/id"
ln -s "$(command -v id)" "$work/helper/id"

args=(-platformpluginpath "two words" "" '$HOME;*' -plugin x)
expected_args=$(printf 'arg=%s\n' "${args[@]}")

# run AS PATH DISPLAY: runs the launcher, leaving status, stderr and what was called in $work/out.
run() {
    local as=$1 path=$2 display=$3
    rm -f "$work/out"/*
    local env=(env -i PATH="$path" FREQDECK_TEST_OUT="$work/out")
    [ -n "$display" ] && env+=(DISPLAY="$display")
    if [ "$as" = user ] && [ "$(id -u)" -eq 0 ]; then
        env=(setpriv --reuid=nobody --regid=nogroup --clear-groups "${env[@]}")
    fi
    "${env[@]}" "$launcher" "${args[@]}" 2> "$work/out/stderr"
    status=$?
}

if [ "$(id -u)" -eq 0 ]; then
    run root "$work/bin" ":5"
    [ "$status" -eq 7 ] || fail "as root: exit status $status, not the window's 7"
    [ ! -e "$work/out/pkexec" ] || fail "as root: went through pkexec"
    [ "$(cat "$work/out/window" 2>/dev/null)" = "uid=0"$'\n'"$expected_args" ] ||
        fail "as root: the window got $(cat "$work/out/window" 2>/dev/null || echo nothing)"
    can_switch=true
    setpriv --reuid=nobody --regid=nogroup --clear-groups test -x "$launcher" || can_switch=false
else
    echo "skipped: the case of root needs root"
    can_switch=true
fi
if ! $can_switch; then
    echo "skipped: the other user cannot reach $launcher"
    exit $((failures ? 1 : 77))
fi

run user "$work/helper" ""
[ "$status" -eq 7 ] || fail "with the helper: exit status $status, not the window's 7"
[ ! -e "$work/out/pkexec" ] && [ ! -e "$work/out/window" ] || fail "with the helper: started the root window"
[ "$(cat "$work/out/busctl" 2>/dev/null)" = "--system call org.freqdeck.Helper /org/freqdeck/Helper org.freedesktop.DBus.Peer Ping" ] ||
    fail "with the helper: asked busctl $(cat "$work/out/busctl" 2>/dev/null || echo nothing)"
[ "$(cat "$work/out/userwindow" 2>/dev/null)" = "uid=$(id -u nobody)"$'\n'"$expected_args" ] ||
    fail "with the helper: the user's window got $(cat "$work/out/userwindow" 2>/dev/null || echo nothing)"

# Without busctl (the helper cannot be asked), the root window through pkexec.
run user "$work/bin" ":5"
[ "$status" -eq 126 ] || fail "through pkexec: exit status $status, not pkexec's 126"
[ ! -e "$work/out/window" ] && [ ! -e "$work/out/userwindow" ] || fail "through pkexec: started a window itself"
[ "$(cat "$work/out/pkexec" 2>/dev/null)" = "arg=$window" ] ||
    fail "through pkexec: pkexec got $(cat "$work/out/pkexec" 2>/dev/null || echo nothing)"
grep -q "takes no arguments; ignoring them" "$work/out/stderr" ||
    fail "through pkexec: did not say that the arguments were dropped: $(cat "$work/out/stderr")"

run user "$work/nopkexec" ":5"
[ "$status" -eq 1 ] || fail "without pkexec: exit status $status, not 1"
[ ! -e "$work/out/window" ] || fail "without pkexec: started the window"
grep -q "pkexec is not installed" "$work/out/stderr" || fail "without pkexec: said $(cat "$work/out/stderr")"

run user "$work/bin" ""
[ "$status" -eq 1 ] || fail "without a display: exit status $status, not 1"
[ ! -e "$work/out/pkexec" ] || fail "without a display: asked pkexec anyway"
grep -q "DISPLAY is not set" "$work/out/stderr" || fail "without a display: said $(cat "$work/out/stderr")"

[ "$failures" -eq 0 ] || exit 1
echo "launcher: all cases passed"
