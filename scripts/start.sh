#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the freqdeck built in BUILD_DIR; the other arguments go to the program. On a machine
# without a cpufreq interface (a VM, a container) the program is shown a simulated 8-CPU machine
# through scripts/with-simulated-cpus.sh, stopped again when the program exits; where that cannot
# be set up either, the program starts on the machine as it is, and the reason is told in one line.
#
#   scripts/start.sh build
set -euo pipefail

if [ $# -eq 0 ]; then
    echo "usage: $0 BUILD_DIR [program arguments...]" >&2
    exit 2
fi
build="$(cd "$1" && pwd)"
shift
scripts="$(cd "$(dirname "$0")" && pwd)"
program="$build/ui/freqdeck"
if [ ! -x "$program" ]; then
    echo "$0: $program is not built (scripts/build.sh $build)" >&2
    exit 2
fi

if compgen -G '/sys/devices/system/cpu/cpu[0-9]*/cpufreq' >/dev/null; then
    exec "$program" "$@"
fi

cpus=8
work="$(mktemp -d "${TMPDIR:-/tmp}/freqdeck-start.XXXXXX")"
trap 'rm -rf "$work"' EXIT

# Until the program runs, complaints are collected to be told in one line; the program gets this
# script's standard error back through descriptor 3. The marker file tells that it did run.
exec 3>&2
status=0
FREQDECK_CPUFREQ_SIM="$build/tools/cpufreq-sim/freqdeck-cpufreq-sim" \
    "$scripts/with-simulated-cpus.sh" --cpus "$cpus" -- sh -c '
        exec 2>&3 3>&-
        : >"$1/started"
        echo "No cpufreq interface on this machine: showing a simulated $2-CPU machine." >&2
        shift 2
        unset FREQDECK_CPUFREQ_SIM
        exec "$@"' sh "$work" "$cpus" "$program" "$@" 2>"$work/setup.log" || status=$?
exec 3>&-
# Interrupted while setting up (130, 143): the user wants no program at all.
if [ -e "$work/started" ] || [ "$status" -gt 2 ]; then
    exit "$status"
fi

reason="$(sed 's/^[^:]*: //' "$work/setup.log" | tr '\n' ' ')"
reason="${reason% }"
echo "No cpufreq interface on this machine, and no simulated one: ${reason:-the simulator failed}. Starting freqdeck as it is." >&2
rm -rf "$work"
trap - EXIT
exec "$program" "$@"
