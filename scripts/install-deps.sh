#!/usr/bin/env bash
# Installs every package that building, running and testing freqdeck needs, and only what is missing.
set -euo pipefail

packages=(
    build-essential cmake
    qtbase5-dev qtbase5-dev-tools
    clang-14 libclang-rt-14-dev # the fuzz target (scripts/fuzz.sh): libFuzzer and the sanitizer runtimes
    valgrind                    # scripts/leakcheck.sh, and its headers for the refresh driver
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
