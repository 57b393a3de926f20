#!/usr/bin/env bash
# Builds freqdeck and starts it; arguments go to the program. Without a cpufreq interface on the
# machine, the program is shown a simulated machine (see scripts/start.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
exec scripts/start.sh build "$@"
