#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets up the machine, builds Tolvo with warnings as errors and runs every test.
#   tools/test.sh              build in build/ci and run the suite
#   tools/test.sh --sanitize   the same in build/asan with AddressSanitizer and UBSan
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup-debian.sh

# Optimised and without debug information: the suite needs neither a debugger nor line numbers,
# and leaving them out makes the build a good deal shorter.
dir=build/ci
flags=(-DTOLVO_WERROR=ON -DCMAKE_BUILD_TYPE=Release)
skip=()
if [ "${1:-}" = "--sanitize" ]; then
  dir=build/asan
  # -g1 keeps the file and line of each frame in the sanitizers' reports, without the rest.
  flags=(-DTOLVO_WERROR=ON -DTOLVO_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1
         -DTOLVO_BUILD_BENCH=OFF)
  # The package is built and checked by the plain build; under the sanitizers it only takes long.
  skip=(--exclude-regex '^debian_package$')
  export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi

cmake -S . -B "$dir" -G Ninja "${flags[@]}"
cmake --build "$dir" --parallel "$(nproc)"
ctest --test-dir "$dir" --output-on-failure --parallel "$(nproc)" "${skip[@]}"
