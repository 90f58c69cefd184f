#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets up the machine, builds Tolvo and starts it with the user guide.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup-debian.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOLVO_BUILD_TESTS=OFF -DTOLVO_BUILD_BENCH=OFF
cmake --build build/release --parallel "$(nproc)"
exec build/release/src/tolvo "$@"
