#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package in its own build directory (default: build-deb), configured for /usr
# without the tests, and prints the path of the .deb. The units go to /lib/systemd/system, where
# Debian 12 packages keep them.
set -euo pipefail
cd "$(dirname "$0")/.."
builddir=${1:-build-deb}
# Debian's own compiler and linker flags, with all its hardening (fortified functions, full RELRO).
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$builddir" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DFREQDECK_SYSTEMD_UNITDIR=/lib/systemd/system -DFREQDECK_BUILD_TESTS=OFF -DFREQDECK_BUILD_BENCH=OFF "${launcher[@]}" \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build "$builddir" -j"$(nproc)" --target freqdeck freqdeck-cli freqdeck_docs >/dev/null
rm -f "$builddir"/freqdeck_*.deb
(cd "$builddir" && cpack -G DEB >/dev/null)
ls "$(cd "$builddir" && pwd)"/freqdeck_*.deb
