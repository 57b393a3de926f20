#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs every package that building, running and testing freqdeck needs, and only what is missing.
set -euo pipefail

packages=(
    build-essential cmake
    qtbase5-dev qtbase5-dev-tools
    # lupdate and lrelease for the catalogues in translations/.
    qttools5-dev qttools5-dev-tools
    xvfb xauth xdotool
    libfuse3-dev fuse3 pkg-config
    libbenchmark-dev
    # The quality gates (README.md): the fuzz target needs clang with libFuzzer and its sanitizer
    # runtimes, the leak check valgrind and its headers, the static checks clang-tidy and clang-format.
    clang-14 libclang-rt-14-dev
    valgrind
    clang-tidy-14 clang-format-14
)
# Checking the menu entry, metainfo and polkit action; building and checking the Debian package.
packages+=(desktop-file-utils appstream libxml2-utils dpkg-dev file lintian)
# Checking the manual pages.
packages+=(groff-base)
# The helper on a private system bus with a mock polkit authority (test_helper).
packages+=(dbus-daemon python3-dbusmock)
# The screen-reader round: the session's accessibility bus.
packages+=(at-spi2-core)
# The user's window on a headless Wayland compositor, without XWayland (test_helper).
packages+=(weston qtwayland5)

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
