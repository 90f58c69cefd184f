#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Tolvo's Debian package and installs it: the one command for a Debian 12 machine.
#   tools/install-deb.sh           build build/deb/tolvo_VERSION_ARCH.deb, then install it
#   tools/install-deb.sh --build   only build it
# Built as a distribution builds it: optimised, without the tests and without the in-app
# update check (the package manager updates Tolvo).
set -euo pipefail
cd "$(dirname "$0")/.."

tools/setup-debian.sh
cmake -S . -B build/deb -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOLVO_UPDATE_CHECK=OFF \
      -DTOLVO_BUILD_TESTS=OFF -DTOLVO_BUILD_BENCH=OFF
cmake --build build/deb --target package
deb=$(ls -t build/deb/tolvo_*.deb | head -n 1)
echo "install-deb: built $deb"
[ "${1:-}" = "--build" ] && exit 0

if [ "$(id -u)" -eq 0 ]; then sudo=(); else sudo=(sudo); fi
# apt resolves the dependencies that dpkg-shlibdeps wrote into the package.
"${sudo[@]}" apt-get install -y "./$deb"
