#!/bin/sh
# Installs the desktop component into a scratch prefix, then checks what landed
# there with the freedesktop validators, as a distribution's packaging would.
#   validate_desktop_files.sh BUILD_DIR SCRATCH_DIR SOURCE_DIR
# Exits 77 (skipped) when a validator is missing.
set -u
build=$1
scratch=$2
source=$3

for tool in desktop-file-validate appstreamcli; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIP: $tool is not installed (Debian: desktop-file-utils, appstream)"
        exit 77
    fi
done

rm -rf "$scratch"
cmake --install "$build" --component desktop --prefix "$scratch" || exit 1

status=0
fail() {
    echo "FAIL: $*"
    status=1
}

desktop="$scratch/share/applications/tolvo.desktop"
metainfo="$scratch/share/metainfo/io.github.tolvo.Tolvo.metainfo.xml"
icon="$scratch/share/icons/hicolor/scalable/apps/tolvo.svg"
guide="$scratch/share/tolvo/Tolvo User Guide.pdf"
for file in "$desktop" "$metainfo" "$icon" "$guide"; do
    [ -f "$file" ] || fail "not installed: $file"
done
[ "$status" -eq 0 ] || exit 1

desktop-file-validate "$desktop" || fail "desktop-file-validate $desktop"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate $metainfo"
# The tree check also ties the metainfo to its desktop file and icon.
appstreamcli validate-tree --no-net "$scratch" || fail "appstreamcli validate-tree $scratch"

# What the links and the start-up rely on, beyond what the validators check.
for line in 'Exec=tolvo %U' 'Icon=tolvo' 'StartupWMClass=tolvo' \
            'MimeType=x-scheme-handler/tolvo;application/pdf;'; do
    grep -qxF "$line" "$desktop" || fail "tolvo.desktop lacks the line: $line"
done
grep -qF '<launchable type="desktop-id">tolvo.desktop</launchable>' "$metainfo" \
    || fail "the metainfo does not launch tolvo.desktop"
cmp -s "$guide" "$source/resources/Tolvo User Guide.pdf" || fail "the installed guide differs from the source tree's"

[ "$status" -eq 0 ] && echo "desktop files: valid"
exit "$status"
