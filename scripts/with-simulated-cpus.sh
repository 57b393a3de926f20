#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command on a simulated machine: inside a private mount namespace, the simulator's tree
# stands in for /sys (the CPUs and the devices it simulates beside them) and its cpuinfo for
# /proc/cpuinfo, as its stat does for /proc/stat where it serves one. The simulator is
# stopped afterwards, also when the command fails. Root gets a mount namespace of its own; a user
# gets one inside a user namespace, where the command runs as root of that namespace, and needs
# read and write access to /dev/fuse and fusermount3 to mount the simulator.
#
#   scripts/with-simulated-cpus.sh cat /sys/devices/system/cpu/cpu3/cpufreq/scaling_governor
#   scripts/with-simulated-cpus.sh --driver intel_pstate --cpus 4 -- build/ui/freqdeck
#
# Simulator options, if any, come first and end with "--". The simulator is
# $FREQDECK_CPUFREQ_SIM, else the one built in build-test/ or build/.
# Exits with the command's status; 2 for wrong use or a user who cannot set it up, 1 when the
# simulator cannot start.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"

sim_args=()
if [ $# -gt 0 ] && [[ "$1" == -* ]]; then
    while [ $# -gt 0 ] && [ "$1" != "--" ]; do
        sim_args+=("$1")
        shift
    done
    if [ $# -eq 0 ]; then
        echo "$0: simulator options must end with --" >&2
        exit 2
    fi
    shift
fi
if [ $# -eq 0 ]; then
    echo "usage: $0 [simulator options --] command [args...]" >&2
    exit 2
fi

sim="${FREQDECK_CPUFREQ_SIM:-}"
if [ -z "$sim" ]; then
    for dir in build-test build; do
        if [ -x "$root/$dir/tools/cpufreq-sim/freqdeck-cpufreq-sim" ]; then
            sim="$root/$dir/tools/cpufreq-sim/freqdeck-cpufreq-sim"
            break
        fi
    done
fi
if [ -z "$sim" ] || [ ! -x "$sim" ]; then
    echo "$0: freqdeck-cpufreq-sim not found: build it (scripts/build.sh) or set FREQDECK_CPUFREQ_SIM" >&2
    exit 2
fi
if [ "$(id -u)" -eq 0 ]; then
    enter=(unshare --mount --propagation private)
else
    if [ ! -r /dev/fuse ] || [ ! -w /dev/fuse ]; then
        echo "$0: /dev/fuse is not open to $(id -un), so only root can mount the simulator" >&2
        exit 2
    fi
    if ! command -v fusermount3 >/dev/null; then
        echo "$0: fusermount3 is missing (package fuse3), so only root can mount the simulator" >&2
        exit 2
    fi
    if ! unshare --user --map-root-user --mount true 2>/dev/null; then
        echo "$0: user namespaces are not open to $(id -un), so only root can bind-mount over /sys and /proc" >&2
        exit 2
    fi
    enter=(unshare --user --map-root-user --mount --propagation private)
fi

work="$(mktemp -d "${TMPDIR:-/tmp}/freqdeck-sim.XXXXXX")"
mnt="$work/mnt"
mkdir "$mnt"
sim_pid=""

cleanup() {
    if [ -n "$sim_pid" ] && kill -0 "$sim_pid" 2>/dev/null; then
        kill -TERM "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
    # A simulator that died without unmounting leaves a dead mount behind.
    if mountpoint -q "$mnt" 2>/dev/null; then
        if [ "$(id -u)" -eq 0 ]; then
            umount -l "$mnt" || true
        else
            fusermount3 -u -z "$mnt" || true
        fi
    fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

"$sim" --foreground ${sim_args[@]+"${sim_args[@]}"} "$mnt" 2>"$work/sim.log" &
sim_pid=$!

# The mount point is empty until the file system is mounted: cpuinfo appearing means ready.
for _ in $(seq 1 400); do
    [ -e "$mnt/cpuinfo" ] && break
    if ! kill -0 "$sim_pid" 2>/dev/null; then
        break
    fi
    sleep 0.05
done
if [ ! -e "$mnt/cpuinfo" ]; then
    echo "$0: the simulator did not come up: $(tr '\n' ' ' <"$work/sim.log")" >&2
    exit 1
fi

status=0
"${enter[@]}" sh -c '
    mnt=$1
    shift
    mount --bind "$mnt/sys" /sys && mount --bind "$mnt/cpuinfo" /proc/cpuinfo || exit 1
    if [ -e "$mnt/stat" ]; then mount --bind "$mnt/stat" /proc/stat || exit 1; fi
    exec "$@"' sh "$mnt" "$@" || status=$?
exit "$status"
