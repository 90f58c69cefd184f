#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the .deb with CPack, then checks it as a packager would: its files (dpkg-deb -c),
# its control data and dependencies (dpkg-deb -I), the programs unpacked into a scratch
# root running from there, and lintian with no errors (warnings are printed).
#   check_deb.sh BUILD_DIR SCRATCH_DIR
# Exits 77 (skipped) when dpkg-deb or dpkg-shlibdeps is missing.
set -u
build=$1
scratch=$2

for tool in dpkg-deb dpkg-shlibdeps fakeroot; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIP: $tool is not installed (Debian: dpkg-dev, fakeroot)"
        exit 77
    fi
done

rm -rf "$scratch"
mkdir -p "$scratch"
cpack --config "$build/CPackConfig.cmake" -B "$scratch" >"$scratch/cpack.log" 2>&1 || {
    cat "$scratch/cpack.log"
    echo "FAIL: cpack"
    exit 1
}
deb=$(ls "$scratch"/tolvo_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || { echo "FAIL: no tolvo_*.deb in $scratch"; exit 1; }
echo "package: $deb"

status=0
fail() {
    echo "FAIL: $*"
    status=1
}

contents=$(dpkg-deb -c "$deb" | awk '{ $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); print }')
app=io.github.tolvo.Tolvo
for path in ./usr/bin/tolvo ./usr/bin/tolvo-cli \
    ./usr/share/applications/$app.desktop ./usr/share/metainfo/$app.metainfo.xml \
    ./usr/share/icons/hicolor/scalable/apps/$app.svg ./usr/share/icons/hicolor/16x16/apps/$app.png \
    ./usr/share/icons/hicolor/48x48/apps/$app.png ./usr/share/icons/hicolor/256x256/apps/$app.png \
    ./usr/share/man/man1/tolvo.1.gz ./usr/share/man/man1/tolvo-cli.1.gz \
    ./usr/share/bash-completion/completions/tolvo-cli ./usr/share/bash-completion/completions/tolvo \
    ./usr/share/zsh/vendor-completions/_tolvo-cli ./usr/share/fish/vendor_completions.d/tolvo-cli.fish \
    "./usr/share/doc/tolvo/Tolvo User Guide.pdf" ./usr/share/doc/tolvo/copyright \
    ./usr/share/doc/tolvo/changelog.gz; do
    printf '%s\n' "$contents" | grep -qxF "$path" || fail "not in the package: $path"
done
# The update check's network module, which tolvo loads from its library folder.
printf '%s\n' "$contents" | grep -qE '^\./usr/lib/([^/]+/)?tolvo/tolvo-network\.so$' || fail "not in the package: the network module"
# Nothing of the build or of the tests leaks in, and nothing lands outside /usr.
printf '%s\n' "$contents" | grep -v '^\./usr/' | grep -v '^\./$' && fail "files outside /usr"
printf '%s\n' "$contents" | grep -E 'test_|/include/|\.a$' && fail "build or test files in the package"

info=$(dpkg-deb -I "$deb")
printf '%s\n' "$info" | grep -E '^ (Package|Version|Architecture|Depends|Section):'
depends=$(printf '%s\n' "$info" | sed -n 's/^ Depends: //p')
for library in libpoppler-qt6 libqt6widgets6 libqt6core6 libqt6network6 libc6 libsqlite3-0 qt6-qpa-plugins; do
    printf '%s\n' "$depends" | grep -q "$library" || fail "Depends lacks $library (dpkg-shlibdeps)"
done
printf '%s\n' "$info" | grep -q ' postinst' || fail "no postinst"
dpkg-deb -e "$deb" "$scratch/control"
grep -q update-desktop-database "$scratch/control/postinst" || fail "postinst does not refresh the desktop database"
grep -q update-mime-database "$scratch/control/postinst" || fail "postinst does not refresh the MIME database"

# Unpacked into a scratch root, the programs run from there.
dpkg-deb -x "$deb" "$scratch/root"
version=$("$scratch/root/usr/bin/tolvo-cli" --version) || fail "the packed tolvo-cli does not run"
[ "$version" = "tolvo-cli $(printf '%s\n' "$info" | sed -n 's/^ Version: //p')" ] || fail "tolvo-cli --version: $version"
"$scratch/root/usr/bin/tolvo" --version >/dev/null || fail "the packed tolvo does not run"
# A package for a distribution is updated by it: no update command inside.
if grep -q "Check for &Updates" "$scratch/root/usr/bin/tolvo"; then
    grep -q 'TOLVO_UPDATE_CHECK:BOOL=OFF' "$build/CMakeCache.txt" && fail "the update command is built in"
fi
zcat "$scratch/root/usr/share/man/man1/tolvo-cli.1.gz" | grep -q '^\.SS search' || fail "tolvo-cli(1) lacks the search command"

if command -v lintian >/dev/null 2>&1; then
    lintian --tag-display-limit 0 "$deb" >"$scratch/lintian.log" 2>&1
    cat "$scratch/lintian.log"
    grep -q '^E: ' "$scratch/lintian.log" && fail "lintian reports errors"
else
    echo "note: lintian is not installed; not run"
fi

[ "$status" -eq 0 ] && echo "package: good"
exit "$status"
