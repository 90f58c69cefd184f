#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Builds "Tolvo User Guide.pdf" from its source in resources/guide/.

    /usr/bin/python3 tools/build-user-guide.py [-o OUT.pdf]

Needs Debian's python3-fitz (PyMuPDF) and pdftocairo (poppler-utils).
PyMuPDF lays the HTML out into pages; pdftocairo rewrites the result so that
the fonts are embedded as small subsets; PyMuPDF then adds the outline (every
h1 and h2, the help links rely on "Preferences" > "Prefix" and "Automatch"),
the page labels (i, ii, ... for the title page and contents, 1, 2, ... from
the first chapter on) and the links.
"""
import argparse
import html
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile

import fitz

ROOT = pathlib.Path(__file__).resolve().parent.parent
SOURCE = ROOT / "resources" / "guide"
DEFAULT_OUT = ROOT / "resources" / "Tolvo User Guide.pdf"
FONTS = pathlib.Path("/usr/share/fonts/truetype/dejavu")

PAGE = fitz.paper_rect("a4")
BODY = PAGE + (64, 60, -64, -72)
FOOTER = fitz.Rect(BODY.x0, PAGE.y1 - 56, BODY.x1, PAGE.y1 - 30)
# Outline destinations sit a little above their heading, so that a reader
# that puts the destination at the top of the view shows the heading whole.
DEST_LIFT = 8
MAX_PAGES = 40

FOOTER_CSS = """
body { margin: 0; font-family: sans-serif; font-size: 8pt; color: #6b7686; }
table { width: 100%; border-spacing: 0; }
td { border-top: 0.5pt solid #c9d2de; line-height: 2; }
td.r { text-align: right; }
"""


class Placed:
    """What one laid-out page holds: its anchors, headings and link pieces."""

    def __init__(self):
        self.anchors = {}  # id -> rect
        self.headings = []  # (level, id, text, rect)
        self.links = []  # (href, rect)


def lay_out(story, writer=None, footer=None, first_page=0):
    """Places story on as many pages as it needs and draws them into writer.

    Without a writer the pages are drawn into a scratch document: a story moves
    on to its next page only once the current one has been drawn.
    footer(page_number, placed) gives the footer text pair for a page, or None.
    Returns one Placed per page.
    """
    scratch = None
    if writer is None:
        scratch = tempfile.TemporaryDirectory()
        writer = fitz.DocumentWriter(str(pathlib.Path(scratch.name) / "scratch.pdf"))
    pages = []
    more = True
    while more:
        if len(pages) >= MAX_PAGES:
            sys.exit("build-user-guide: a part of the guide does not fit on its pages")
        placed = Placed()
        more, _ = story.place(BODY)

        def record(pos, placed=placed):
            if not (pos.open_close & 1):
                return
            rect = fitz.Rect(pos.rect)
            if pos.id:
                placed.anchors.setdefault(pos.id, rect)
            if pos.heading in (1, 2) and pos.text:
                placed.headings.append((pos.heading, pos.id, pos.text.strip(), rect))
            if pos.href:
                placed.links.append((pos.href, rect))

        story.element_positions(record, {})
        device = writer.begin_page(PAGE)
        story.draw(device)
        texts = footer(first_page + len(pages), placed) if footer else None
        if texts:
            draw_footer(device, *texts)
        writer.end_page()
        pages.append(placed)
    if scratch is not None:
        writer.close()
        scratch.cleanup()
    return pages


def draw_footer(device, left, right):
    row = f'<table><tr><td>{html.escape(left)}</td><td class="r">{html.escape(right)}</td></tr></table>'
    story = fitz.Story(row, user_css=FOOTER_CSS)
    story.place(FOOTER)
    story.draw(device)


def roman(n):
    numerals = [(1000, "m"), (900, "cm"), (500, "d"), (400, "cd"), (100, "c"), (90, "xc"), (50, "l"), (40, "xl"),
                (10, "x"), (9, "ix"), (5, "v"), (4, "iv"), (1, "i")]
    out = ""
    for value, letters in numerals:
        while n >= value:
            out += letters
            n -= value
    return out


def merge_link_pieces(links):
    """Joins the per-word rectangles of one link into one rectangle per line."""
    merged = []
    for href, rect in links:
        if merged and merged[-1][0] == href and abs(merged[-1][1].y0 - rect.y0) < 1 \
                and rect.x0 - merged[-1][1].x1 < 8:
            merged[-1][1] |= rect
        else:
            merged.append([href, fitz.Rect(rect)])
    return merged


LIGATURES = {"fb00": "00660066", "fb01": "00660069", "fb02": "0066006c", "fb03": "006600660069",
             "fb04": "00660066006c"}


def spell_out_ligatures(doc):
    """Maps the fi, fl, ff, ffi and ffl glyphs to their letters in the text layer.

    Harfbuzz sets those words with ligature glyphs; left as U+FB01 and the like,
    text copied from the guide, and words searched in it, would not be the words
    the reader sees.
    """
    pattern = re.compile(rb"<(fb0[0-4])>", re.IGNORECASE)
    for xref in range(1, doc.xref_length()):
        if not doc.xref_is_stream(xref):
            continue
        data = doc.xref_stream(xref)
        if b"begincmap" not in data:
            continue
        fixed = pattern.sub(lambda m: b"<" + LIGATURES[m.group(1).decode().lower()].encode() + b">", data)
        if fixed != data:
            doc.update_stream(xref, fixed)


def project_version():
    text = (ROOT / "CMakeLists.txt").read_text(encoding="utf-8")
    found = re.search(r"project\(\s*Tolvo\s+VERSION\s+([0-9.]+)", text)
    return found.group(1) if found else "unknown"


def make_archive():
    """The files that the HTML and CSS name: the monospaced font and the icon."""
    archive = fitz.Archive()
    for path in (FONTS / "DejaVuSansMono.ttf", FONTS / "DejaVuSansMono-Bold.ttf", ROOT / "resources" / "tolvo.svg"):
        if not path.is_file():
            sys.exit(f"build-user-guide: {path} is missing")
        archive.add(path.read_bytes(), path.name)
    return archive


def contents_html(headings):
    """The contents page: every chapter and section with its body page number.

    One table per chapter, since MuPDF does not break a table across pages.
    """
    tables = []
    for level, anchor, text, page_number in headings:
        title = html.escape(text)
        if level == 1:
            tables.append([f'<tr class="chapter"><td><a href="#{anchor}">{title}</a></td>'
                           f'<td class="page">{page_number}</td></tr>'])
        else:
            tables[-1].append(f'<tr><td>&#160;&#160;&#160;&#160;<a href="#{anchor}">{title}</a></td>'
                              f'<td class="page">{page_number}</td></tr>')
    body = "".join('<table class="contents">' + "".join(rows) + "</table>" for rows in tables)
    return '<html><body><h1 id="contents">Contents</h1>' + body + "</body></html>"


def body_story(css, archive):
    return fitz.Story((SOURCE / "guide.html").read_text(encoding="utf-8"), user_css=css, archive=archive)


def build(out_path):
    css = "body { margin: 0; }\n" + (SOURCE / "guide.css").read_text(encoding="utf-8")
    archive = make_archive()

    # First pass: where every chapter and section of the body falls.
    body_pages = lay_out(body_story(css, archive))
    headings = []
    for index, placed in enumerate(body_pages):
        for level, anchor, text, _ in placed.headings:
            if not anchor:
                sys.exit(f"build-user-guide: the heading \"{text}\" has no id")
            headings.append((level, anchor, text, index + 1))

    title_html = (SOURCE / "title.html").read_text(encoding="utf-8").replace("@VERSION@", project_version())
    front_stories = [fitz.Story(title_html, user_css=css, archive=archive),
                     fitz.Story(contents_html(headings), user_css=css, archive=archive)]

    # Second pass: draw the front matter, then the body, counting pages as we go.
    with tempfile.TemporaryDirectory() as tmp:
        raw = pathlib.Path(tmp) / "raw.pdf"
        writer = fitz.DocumentWriter(str(raw))
        all_pages = []
        front_count = 0
        for number, story in enumerate(front_stories):
            footer = None if number == 0 else (lambda page, placed: ("Tolvo User Guide", roman(page + 1)))
            placed = lay_out(story, writer, footer, first_page=len(all_pages))
            all_pages += placed
        front_count = len(all_pages)

        # The footer names the first chapter that starts on the page, else the one going on.
        chapter_of_page = []
        chapter = ""
        for placed in body_pages:
            starting = [text for level, _, text, _ in placed.headings if level == 1]
            chapter_of_page.append(starting[0] if starting else chapter)
            if starting:
                chapter = starting[-1]

        def body_footer(page, placed):
            local = page - front_count
            return (chapter_of_page[local], str(local + 1))

        drawn = lay_out(body_story(css, archive), writer, body_footer, first_page=front_count)
        writer.close()
        if [p.headings for p in drawn] != [p.headings for p in body_pages]:
            sys.exit("build-user-guide: the body laid out differently twice")
        all_pages += drawn

        # Subset the fonts: MuPDF embeds them whole, cairo keeps only the glyphs used.
        subset = pathlib.Path(tmp) / "subset.pdf"
        subprocess.run(["pdftocairo", "-pdf", str(raw), str(subset)], check=True)
        doc = fitz.open(str(subset))
        if doc.page_count != len(all_pages):
            sys.exit("build-user-guide: pdftocairo changed the page count")

        anchors = {}
        for index, placed in enumerate(all_pages):
            for anchor, rect in placed.anchors.items():
                anchors.setdefault(anchor, (index, rect))

        toc = []
        for index, placed in enumerate(drawn):
            for level, anchor, text, rect in placed.headings:
                point = fitz.Point(round(rect.x0), round(max(rect.y0 - DEST_LIFT, 0)))
                toc.append([level, text, front_count + index + 1,
                            {"kind": fitz.LINK_GOTO, "page": front_count + index, "to": point, "zoom": 0}])
        doc.set_toc(toc)

        doc.set_page_labels([
            {"startpage": 0, "prefix": "", "style": "r", "firstpagenum": 1},
            {"startpage": front_count, "prefix": "", "style": "D", "firstpagenum": 1},
        ])

        for index, placed in enumerate(all_pages):
            page = doc[index]
            for href, rect in merge_link_pieces(placed.links):
                if href.startswith("#"):
                    if href[1:] not in anchors:
                        sys.exit(f"build-user-guide: the link {href} points to no id")
                    target_page, target_rect = anchors[href[1:]]
                    to = fitz.Point(target_rect.x0, max(target_rect.y0 - DEST_LIFT, 0))
                    page.insert_link({"kind": fitz.LINK_GOTO, "from": rect, "page": target_page, "to": to,
                                      "zoom": 0})
                else:
                    page.insert_link({"kind": fitz.LINK_URI, "from": rect, "uri": href})

        doc.set_metadata({
            "title": "Tolvo User Guide",
            "author": "Tolvo",
            "subject": "Using Tolvo, a PDF reader built around tolvo:// links",
            "keywords": "Tolvo, PDF, links, prefixes, notes",
            "creator": "tools/build-user-guide.py",
            "producer": f"PyMuPDF {fitz.VersionBind}, cairo",
            "creationDate": "",
            "modDate": "",
        })
        doc.xref_set_key(doc.pdf_catalog(), "PageMode", "/UseOutlines")
        spell_out_ligatures(doc)
        tmp_out = pathlib.Path(tmp) / "guide.pdf"
        doc.save(str(tmp_out), garbage=4, deflate=True, no_new_id=True)
        doc.close()
        out_path.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(tmp_out, out_path)
    return front_count, len(all_pages)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("-o", "--output", type=pathlib.Path, default=DEFAULT_OUT)
    args = parser.parse_args()
    if shutil.which("pdftocairo") is None:
        sys.exit("build-user-guide: pdftocairo is missing (Debian package poppler-utils)")
    front, total = build(args.output)
    doc = fitz.open(str(args.output))
    print(f"{args.output}: {total} pages ({front} front matter), {args.output.stat().st_size} bytes")
    for level, title, page in doc.get_toc():
        print(f"{'  ' * (level - 1)}{title}  [{doc[page - 1].get_label()}]")


if __name__ == "__main__":
    main()
