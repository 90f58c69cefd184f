#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the screenshots that the AppStream metainfo shows, under a virtual X server:
#   guide.png   the user guide as the first start shows it
#   search.png  a search in a real manual (Octave's, from Debian's octave-doc)
# Written to resources/screenshots/; commit them after a change of the window.
#   tools/make-screenshots.sh [BUILD_DIR]        default: build
# Runs itself again under xvfb-run when no display is set.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-build}
manual=/usr/share/doc/octave/octave.pdf
out=$root/resources/screenshots

if [ -z "${TOLVO_SCREENSHOT_DISPLAY:-}" ]; then
    export TOLVO_SCREENSHOT_DISPLAY=1
    exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$@"
fi
[ -x "$build/src/tolvo" ] || { echo "make-screenshots: build $build/src/tolvo first" >&2; exit 1; }
[ -f "$manual" ] || { echo "make-screenshots: $manual is missing (Debian: octave-doc)" >&2; exit 1; }

# A user of our own, so that the screenshots show the first start and nothing of the real user.
home=$(mktemp -d)
trap 'kill "$tolvo" 2>/dev/null || true; rm -rf "$home"' EXIT
export HOME=$home XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data XDG_RUNTIME_DIR=$home/run
export QT_QPA_PLATFORM=xcb
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
cli=$build/src/tolvo-cli

# Waits until the running Tolvo has count documents open, each with a page shown.
wait_for_documents() {
    for _ in $(seq 600); do
        if "$cli" status --json 2>/dev/null | /usr/bin/python3 -c '
import json, sys
documents = json.load(sys.stdin).get("documents", [])
sys.exit(0 if len(documents) >= int(sys.argv[1]) else 1)' "$1"; then
            return 0
        fi
        sleep 0.1
    done
    echo "make-screenshots: Tolvo did not open $1 document(s)" >&2
    exit 1
}

# Waits until the window drawn has stopped changing, then writes it.
shoot() {
    local window=$1 file=$2 last="" now
    for _ in $(seq 100); do
        now=$(import -window "$window" png:- | md5sum)
        [ "$now" = "$last" ] && break
        last=$now
        sleep 0.3
    done
    import -window "$window" "$file"
    echo "make-screenshots: $file"
}

"$build/src/tolvo" &
tolvo=$!
wait_for_documents 1
window=$(xdotool search --sync --onlyvisible --name "Tolvo User Guide" | head -n 1)
xdotool windowsize "$window" 1200 760 windowmove "$window" 0 0
shoot "$window" "$out/guide.png"

cp "$manual" "$home/Octave Manual.pdf"
"$build/src/tolvo" "$home/Octave Manual.pdf"
wait_for_documents 2
window=$(xdotool search --sync --onlyvisible --name "Octave Manual" | head -n 1)
xdotool windowsize "$window" 1200 760 windowmove "$window" 0 0 windowfocus --sync "$window"
# Typed as a user types, into the focused window (there is no window manager to activate it).
xdotool key ctrl+f
xdotool type --delay 20 "interpolation"
xdotool key Return
shoot "$window" "$out/search.png"
