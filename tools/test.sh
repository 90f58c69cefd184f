#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets up the machine, builds Tolvo with warnings as errors and runs every test.
#   tools/test.sh              build in build/ci and run the suite
#   tools/test.sh --sanitize   the same in build/asan with AddressSanitizer, UBSan and LeakSanitizer
#                              (tools/lsan.supp holds what it should not report; TOLVO_LEAKS=0 leaves
#                              leaks unchecked)
#   tools/test.sh --tsan       the tests of the threaded parts (drawing, finding, annotations, notes writer)
#                              in build/tsan with ThreadSanitizer
#   tools/test.sh --fuzz       build the fuzz targets in build/fuzz (clang, ASan, UBSan) and run
#                              each for TOLVO_FUZZ_SECONDS (45), then every input that once crashed
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup-debian.sh

# Builds again after a small change take seconds where a cache of compiled files is kept
# between runs; the cache names files relative to the checkout, so any clone shares it.
# Precompiled headers defeat the cache (the header's compiled form differs on every build), so
# with the cache they are left out: a warm cache rebuilds an unchanged tree in a minute or two.
launcher=()
if command -v ccache >/dev/null 2>&1; then
  export CCACHE_BASEDIR="$PWD"
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache -DTOLVO_PCH=OFF)
fi
# A build with debug information (the sanitizer and fuzz builds) records the directory it was
# built in, and the cache counts that directory, so a fresh clone would miss every file. Naming the
# checkout "." there makes clones alike again; reports then name files relative to the checkout.
debug_flags="-g1 -fdebug-prefix-map=$PWD=."

# Optimised and without debug information: the suite needs neither a debugger nor line numbers,
# and leaving them out makes the build a good deal shorter.
dir=build/ci
flags=(-DTOLVO_WERROR=ON -DCMAKE_BUILD_TYPE=Release)
ctest_args=()
if [ "${1:-}" = "--sanitize" ]; then
  dir=build/asan
  # -g1 keeps the file and line of each frame in the sanitizers' reports, without the rest.
  flags=(-DTOLVO_WERROR=ON -DTOLVO_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
         "-DCMAKE_CXX_FLAGS_DEBUG=$debug_flags" -DTOLVO_BUILD_BENCH=OFF)
  # The package is built and checked by the plain build; under the sanitizers it only takes long.
  ctest_args=(--exclude-regex '^debian_package$')
  export ASAN_OPTIONS=detect_leaks=${TOLVO_LEAKS:-1}:abort_on_error=1
  export LSAN_OPTIONS="suppressions=$PWD/tools/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  # The randomised outline oracle checks memory here, not more cases: the plain build runs its
  # 400 rounds, which take four minutes under the sanitizers.
  export TOLVO_ORACLE_ROUNDS=${TOLVO_ORACLE_ROUNDS:-100}
fi

if [ "${1:-}" = "--fuzz" ]; then
  # Only the fuzz targets and the layers they read are built, instrumented for coverage.
  cmake -S . -B build/fuzz -G Ninja "${launcher[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 $debug_flags -DNDEBUG" \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DTOLVO_FUZZ=ON -DTOLVO_BUILD_TESTS=OFF \
    -DTOLVO_BUILD_BENCH=OFF -DTOLVO_FUZZ_SECONDS="${TOLVO_FUZZ_SECONDS:-45}"
  cmake --build build/fuzz --parallel "$(nproc)" --target fuzz_targets
  ctest --test-dir build/fuzz --output-on-failure --parallel "$(nproc)" --tests-regex '^fuzz_'
  exit
fi

targets=()
if [ "${1:-}" = "--tsan" ]; then
  dir=build/tsan
  flags=(-DTOLVO_WERROR=ON -DTOLVO_TSAN=ON -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=$debug_flags -O1"
         -DTOLVO_BUILD_BENCH=OFF)
  # The suites that run the renderer, the page drawn ahead, link areas, the text finder and its
  # index, the annotation collector, the library search and the notes writer on their threads.
  tests=(test_hand_over test_page_renderer test_page_ahead test_pdf_link_areas test_document_search
         test_text_index test_annotation_list test_window_search test_library_dialog test_notes
         test_notes_files test_notes_history test_mydocument)
  targets=(--target "${tests[@]}")
  ctest_args=(--tests-regex "^($(IFS='|'; echo "${tests[*]}"))\$")
  # Qt is not built with ThreadSanitizer: what its own code reads and writes is left out, and the
  # hand-overs through its event queue mark their order themselves (src/settings/HandOver.h).
  # The suites start processes (QProcess forks and at once runs another program).
  export TSAN_OPTIONS="ignore_noninstrumented_modules=1:halt_on_error=1:second_deadlock_stack=1:die_after_fork=0"
fi

cmake -S . -B "$dir" -G Ninja "${launcher[@]}" "${flags[@]}"
cmake --build "$dir" --parallel "$(nproc)" "${targets[@]}"
ctest --test-dir "$dir" --output-on-failure --parallel "$(nproc)" "${ctest_args[@]}"
