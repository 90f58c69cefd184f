#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks that C++ files changed since a base commit follow .clang-format.
#   tools/check-format.sh           files changed since the commit named in .ci/format-base
#   tools/check-format.sh BASE      files changed since BASE
#   tools/check-format.sh --all     every tracked C++ file
# Exits 1 and lists the files (with clang-format's first complaint) when any is off.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || { echo "check-format: clang-format is not installed" >&2; exit 2; }

if [ "${1:-}" = "--all" ]; then
  mapfile -t files < <(git ls-files -- '*.cpp' '*.h')
else
  base=${1:-$(cat .ci/format-base)}
  if git cat-file -e "$base^{commit}" 2>/dev/null; then
    mapfile -t files < <(git diff --name-only --diff-filter=ACMR "$base" -- '*.cpp' '*.h')
  else
    # A shallow clone lacks the base: check everything, which is a superset.
    mapfile -t files < <(git ls-files -- '*.cpp' '*.h')
  fi
fi

bad=0
for f in "${files[@]}"; do
  [ -f "$f" ] || continue
  if ! out=$(clang-format --dry-run --Werror "$f" 2>&1); then
    echo "$f: $(printf '%s\n' "$out" | head -n 1)"
    bad=1
  fi
done
if [ $bad -ne 0 ]; then
  echo "check-format: run clang-format -i on the files above" >&2
  exit 1
fi
echo "check-format: ${#files[@]} files follow .clang-format"
