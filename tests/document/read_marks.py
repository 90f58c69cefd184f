#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Prints the annotations of a PDF as another reader (MuPDF) sees them, one JSON object per
line: page, type, name, stroke colour, contents, quad points (page space, y up) and the text
under the first quadrilateral."""
import json
import sys

import fitz


def main():
    doc = fitz.open(sys.argv[1])
    for page in doc:
        height = page.mediabox.height
        for annot in page.annots():
            vertices = annot.vertices or []
            # MuPDF gives the points with y down from the top of the unrotated page.
            points = [[round(x, 2), round(height - y, 2)] for x, y in vertices]
            text = ""
            if len(vertices) >= 4:
                xs = [v[0] for v in vertices[:4]]
                ys = [v[1] for v in vertices[:4]]
                text = page.get_textbox(fitz.Rect(min(xs), min(ys), max(xs), max(ys))).strip()
            colour = annot.colors.get("stroke") or []
            print(json.dumps({
                "page": page.number,
                "type": annot.type[1],
                "name": annot.info.get("id", ""),
                "colour": [round(c * 255) for c in colour],
                "contents": annot.info.get("content", ""),
                "quads": points,
                "text": text,
            }))


if __name__ == "__main__":
    main()
