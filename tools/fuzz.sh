#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Long fuzzing runs: builds the libFuzzer targets under ASan and UBSan in build-fuzz/ and runs each
# (or the ones named) for SECONDS, keeping what they learn in build-fuzz/fuzz/work/long/TARGET/.
#   tools/fuzz.sh [SECONDS] [TARGET...]      e.g. tools/fuzz.sh 1800 pdf rtf_reader
# Targets: instance_frames rtf_reader writers titles link_grammar url_dispatch defaults_loader pdf.
# A crash leaves its input in build-fuzz/fuzz/work/artifacts/TARGET/; once it is fixed, copy the
# input to fuzz/crashers/TARGET/ so that the fuzz_TARGET_crashers test keeps it fixed.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(instance_frames rtf_reader writers titles link_grammar url_dispatch defaults_loader pdf)

launcher=()
if command -v ccache >/dev/null 2>&1; then
  export CCACHE_BASEDIR="$PWD"
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B build-fuzz -G Ninja "${launcher[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DTOLVO_FUZZ=ON -DTOLVO_BUILD_TESTS=OFF -DTOLVO_BUILD_BENCH=OFF >/dev/null
nice cmake --build build-fuzz --parallel "$(nproc)" --target fuzz_targets
work=build-fuzz/fuzz/work
[ -d "$work/seeds" ] || /usr/bin/python3 fuzz/make_seeds.py "$work/seeds" tests/fixtures

export QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1
failed=()
for t in "${targets[@]}"; do
  mkdir -p "$work/long/$t" "$work/artifacts/$t"
  corpora=("$work/long/$t" "$work/seeds/$t")
  [ -d "fuzz/crashers/$t" ] && corpora+=("fuzz/crashers/$t")
  echo "== fuzz_$t for ${seconds}s (log: $work/$t.log)"
  if ! "build-fuzz/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2560 -print_final_stats=1 \
      -artifact_prefix="$work/artifacts/$t/" "${corpora[@]}" >"$work/$t.log" 2>&1; then
    failed+=("$t")
  fi
  grep -E '^#[0-9]+ +DONE|^stat::number_of_executed_units|ERROR|SUMMARY|Test unit written' "$work/$t.log" || true
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: findings in ${failed[*]}" >&2
  exit 1
fi
