#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs every Debian 12 package that Tolvo's build, the app and the tests need.
# Safe to run again: apt-get skips what is already there. Runs as root or through sudo.
set -euo pipefail

packages=(
  # build
  build-essential cmake ninja-build pkg-config git clang-format ccache
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6 libqt6printsupport6
  libpoppler-qt6-dev libpoppler-private-dev libsqlite3-dev libfontconfig-dev
  libbenchmark-dev
  # run: fonts, desktop integration, the file manager hand-off
  fonts-dejavu-core xdg-utils desktop-file-utils shared-mime-info
  qt6-qpa-plugins qt6-wayland
  # tests: fixture PDFs, headless and end-to-end GUI runs, independent oracles
  python3 python3-fitz poppler-utils qpdf pandoc cmark pdfgrep octave-doc
  xvfb xauth xdotool x11-utils imagemagick
  appstream
  # packaging: the .deb, its man pages and checks; shells for the completion tests
  dpkg-dev fakeroot lintian help2man gzip
  bash-completion zsh fish
  # fuzzing: libFuzzer comes with clang's runtime libraries
  clang clang-14 libclang-rt-14-dev
  # the tests of writes to a full or read-only disk mount a small file system in a namespace of their own
  util-linux
)

if [ "$(id -u)" -eq 0 ]; then
  sudo=()
elif command -v sudo >/dev/null 2>&1; then
  sudo=(sudo)
else
  echo "setup: run this as root or install sudo" >&2
  exit 1
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all ${#packages[@]} packages are installed"
  exit 0
fi

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
