#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the PDF of the open benchmark: 1,000 pages of text with a 500-entry outline
(50 chapters of 9 sections each) and roman front matter labels.

usage: make_open_bench_pdf.py OUT.pdf
"""
import sys

import fitz

PAGES = 1000
CHAPTERS = 50
SECTIONS = 9


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    doc = fitz.open()
    words = ("alpha beta gamma delta epsilon zeta eta theta iota kappa lambda mu " * 3).split()
    for i in range(PAGES):
        page = doc.new_page(width=612, height=792)
        page.insert_text((72, 72), "Page %d" % (i + 1), fontsize=18)
        y = 110
        for line in range(40):
            page.insert_text((72, y), " ".join(words[(line + i) % 12:][:12]), fontsize=10)
            y += 15
    toc = []
    per_chapter = (PAGES - 20) // CHAPTERS
    for c in range(CHAPTERS):
        first = 21 + c * per_chapter
        toc.append([1, "Chapter %d: Topic %d" % (c + 1, c + 1), first])
        for s in range(SECTIONS):
            toc.append([2, "Section %d.%d Details" % (c + 1, s + 1), first + 1 + s * 2])
    doc.set_toc(toc)
    doc.set_page_labels([
        {"startpage": 0, "prefix": "", "style": "r", "firstpagenum": 1},
        {"startpage": 20, "prefix": "", "style": "D", "firstpagenum": 1},
    ])
    doc.save(sys.argv[1], garbage=1, deflate=True)


if __name__ == "__main__":
    main()
