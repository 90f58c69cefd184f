#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the page view benchmark's PDFs: text-heavy manuals of 1,000 and 2,000 pages.

Usage: make_bench_pdfs.py OUTDIR. Files that exist are kept. Run with Debian's /usr/bin/python3.
"""
import pathlib
import random
import sys

import fitz

WORDS = ("page view render scroll label prefix outline manual chapter section figure table "
         "function value matrix vector option return argument example result error string number "
         "the of and to in is that for with as on by this be are from or an it at").split()


def body(rng, lines):
    text = []
    for _ in range(lines):
        line, width = [], 0
        while width < 88:
            word = rng.choice(WORDS)
            line.append(word)
            width += len(word) + 1
        text.append(" ".join(line))
    return "\n".join(text)


def make(path, pages):
    if path.exists():
        return
    rng = random.Random(pages)
    doc = fitz.open()
    for i in range(pages):
        page = doc.new_page(width=612, height=792)
        page.insert_text((72, 60), "Chapter %d, page %d" % (i // 20 + 1, i + 1), fontsize=14, fontname="hebo")
        page.draw_line((72, 68), (540, 68), width=0.5)
        page.insert_text((72, 90), body(rng, 52), fontsize=9.5, fontname="tiro", lineheight=1.3)
        if i % 3 == 0:
            page.draw_rect(fitz.Rect(380, 600, 540, 720), color=(0.2, 0.3, 0.6), fill=(0.85, 0.9, 1.0), width=1)
        page.insert_text((300, 770), str(i + 1), fontsize=9, fontname="tiro")
    doc.set_page_labels([{"startpage": 0, "prefix": "", "style": "r", "firstpagenum": 1},
                         {"startpage": 10, "prefix": "", "style": "D", "firstpagenum": 1}])
    tmp = path.with_suffix(".tmp")
    doc.save(str(tmp), garbage=1, deflate=True)
    tmp.rename(path)


def main():
    out = pathlib.Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    make(out / "bench-1000.pdf", 1000)
    make(out / "bench-2000.pdf", 2000)


if __name__ == "__main__":
    main()
