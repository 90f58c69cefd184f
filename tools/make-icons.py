#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Renders the application icon, resources/tolvo.svg, into the PNG sizes of the hicolor theme.

    tools/make-icons.py [OUT_DIR]      default: resources/icons

Writes OUT_DIR/NxN.png for each size; run it again after changing the SVG and commit the PNGs.
Desktops that cannot draw SVG icons (and some menus that draw small ones badly) take these.
"""
import os
import sys

import fitz  # PyMuPDF draws SVG through MuPDF

SIZES = (16, 24, 32, 48, 64, 128, 256, 512)


def main():
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "resources", "icons")
    os.makedirs(out, exist_ok=True)
    svg = fitz.open(os.path.join(root, "resources", "tolvo.svg"))
    page = svg[0]
    for size in SIZES:
        zoom = size / page.rect.width
        pixmap = page.get_pixmap(matrix=fitz.Matrix(zoom, zoom), alpha=True)
        if (pixmap.width, pixmap.height) != (size, size):
            sys.exit("make-icons: %s drew %dx%d, not %dx%d" % (svg.name, pixmap.width, pixmap.height, size, size))
        pixmap.save(os.path.join(out, "%dx%d.png" % (size, size)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
