#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Puts the licence identifier at the top of every source file that Git tracks:
#   // SPDX-License-Identifier: GPL-3.0-or-later   C++ sources and headers
#   # SPDX-License-Identifier: GPL-3.0-or-later    scripts and CMake files (after a "#!" line)
# Running it again changes nothing. With --check it changes nothing and lists the files
# that lack the identifier, exiting 1 when there are any.
#   tools/add-spdx.sh [--check] [REPOSITORY]
set -eu

check=false
if [ "${1:-}" = "--check" ]; then
    check=true
    shift
fi
repo=${1:-$(dirname "$0")/..}
cd "$repo"

id='SPDX-License-Identifier: GPL-3.0-or-later'

# The comment style of a file, or nothing for files that carry no identifier.
style() {
    case "$1" in
    src/*.h | src/*.cpp | tests/*.h | tests/*.cpp | bench/*.h | bench/*.cpp | tools/*.h | tools/*.cpp) echo '//' ;;
    *.sh | *.py | *CMakeLists.txt | *.cmake | .ci/run) echo '#' ;;
    esac
}

git -c core.quotePath=false ls-files | while IFS= read -r file; do
    comment=$(style "$file")
    [ -n "$comment" ] && [ -f "$file" ] || continue
    # Already there: in the first line, or in the second after a "#!" line.
    head -n 2 "$file" | grep -qF "$id" && continue
    if $check; then
        echo "no licence identifier: $file"
        # The loop runs in a subshell: report through the exit status.
        echo x >&3
        continue
    fi
    tmp="$file.spdx-tmp"
    if head -n 1 "$file" | grep -q '^#!'; then
        { head -n 1 "$file"; echo "$comment $id"; tail -n +2 "$file"; } >"$tmp"
    else
        { echo "$comment $id"; cat "$file"; } >"$tmp"
    fi
    # Keep the file's mode (scripts stay executable).
    chmod --reference="$file" "$tmp"
    mv "$tmp" "$file"
    echo "added: $file"
done 3>"${TMPDIR:-/tmp}/add-spdx.$$"

report="${TMPDIR:-/tmp}/add-spdx.$$"
if [ -s "$report" ]; then
    rm -f "$report"
    echo "Run tools/add-spdx.sh to add the identifier."
    exit 1
fi
rm -f "$report"
