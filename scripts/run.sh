#!/usr/bin/env bash
# Builds freqdeck and starts it; arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
exec build/ui/freqdeck "$@"
