#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# From starting `tolvo tolvo://...` as a second process to the running
# instance having moved its open document, beside a bare `tolvo-cli --help`
# (the floor of starting a process). Runs an instance offscreen in a
# temporary home.
#   bench/bench_handover.sh BUILD_DIR [ROUNDS]
set -euo pipefail
build=${1:?usage: bench_handover.sh BUILD_DIR [ROUNDS]}
rounds=${2:-21}
tmp=$(mktemp -d)
trap 'kill "$instance" 2>/dev/null || true; rm -rf "$tmp"' EXIT
export HOME=$tmp XDG_CONFIG_HOME=$tmp/.config XDG_DATA_HOME=$tmp/.local/share XDG_RUNTIME_DIR=$tmp/run
export XDG_DATA_DIRS=$tmp/none QT_QPA_PLATFORM=offscreen
mkdir -p "$XDG_RUNTIME_DIR"; chmod 700 "$XDG_RUNTIME_DIR"
"$build/src/tolvo" >/dev/null 2>&1 &
instance=$!
for _ in $(seq 100); do
  "$build/src/tolvo-cli" status --json 2>/dev/null | grep -q '"apphelp/"' && break
  sleep 0.1
done
sleep 1

now_ms() { date +%s%N | cut -b1-13; }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

labels=(1 2 3 4 5 6 7 8 9)
: > "$tmp/handover"; : > "$tmp/floor"
for i in $(seq "$rounds"); do
  label=${labels[$((i % ${#labels[@]}))]}
  start=$(now_ms)
  "$build/src/tolvo" "tolvo://apphelp/$label/"
  # Moved: the instance reports the new page.
  until "$build/src/tolvo-cli" status --json | grep -q "\"pageLabel\": \"$label\""; do :; done
  echo $(( $(now_ms) - start )) >> "$tmp/handover"
  start=$(now_ms)
  "$build/src/tolvo-cli" --help > /dev/null
  echo $(( $(now_ms) - start )) >> "$tmp/floor"
done
echo "hand-over to moved view, median of $rounds: $(median < "$tmp/handover") ms (includes one status query)"
echo "tolvo-cli --help, median of $rounds:         $(median < "$tmp/floor") ms"
