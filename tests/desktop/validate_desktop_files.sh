#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
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

app=io.github.tolvo.Tolvo
desktop="$scratch/share/applications/$app.desktop"
metainfo="$scratch/share/metainfo/$app.metainfo.xml"
icon="$scratch/share/icons/hicolor/scalable/apps/$app.svg"
guide="$scratch/share/tolvo/Tolvo User Guide.pdf"
for file in "$desktop" "$metainfo" "$icon" "$guide" \
    "$scratch/share/icons/hicolor/16x16/apps/$app.png" "$scratch/share/icons/hicolor/256x256/apps/$app.png"; do
    [ -f "$file" ] || fail "not installed: $file"
done
[ "$status" -eq 0 ] || exit 1

desktop-file-validate "$desktop" || fail "desktop-file-validate $desktop"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate $metainfo"
# The tree check also ties the metainfo to its desktop file and icon.
appstreamcli validate-tree --no-net "$scratch" || fail "appstreamcli validate-tree $scratch"

# What the links and the start-up rely on, beyond what the validators check.
for line in 'Exec=tolvo %U' "Icon=$app" 'StartupWMClass=tolvo' \
            'MimeType=x-scheme-handler/tolvo;application/pdf;'; do
    grep -qxF "$line" "$desktop" || fail "$app.desktop lacks the line: $line"
done
# What Debian and Flathub ask of the metainfo beyond its validity.
for element in "<launchable type=\"desktop-id\">$app.desktop</launchable>" \
    '<project_license>GPL-3.0-or-later</project_license>' '<developer_name>' '<content_rating type="oars-1.1"' \
    '<screenshot type="default">' '<release version='; do
    grep -qF "$element" "$metainfo" || fail "the metainfo lacks $element"
done
# Every screenshot it names is kept in the source tree.
for image in $(sed -n 's|.*<image>.*/resources/screenshots/\(.*\)</image>.*|\1|p' "$metainfo"); do
    [ -s "$source/resources/screenshots/$image" ] || fail "screenshot not in the tree: resources/screenshots/$image"
done
cmp -s "$guide" "$source/resources/Tolvo User Guide.pdf" || fail "the installed guide differs from the source tree's"

[ "$status" -eq 0 ] && echo "desktop files: valid"
exit "$status"
