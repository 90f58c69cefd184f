#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the seed corpus of every fuzz target into OUTDIR/<target>/.

usage: make_seeds.py OUTDIR FIXTURES_SOURCE_DIR
The PDF seeds are the test suite's own fixture PDFs (FIXTURES_SOURCE_DIR/make_fixtures.py), so the
fuzzer starts from outlines, labels, annotations and damaged cross-reference tables.
"""
import json
import pathlib
import shutil
import struct
import subprocess
import sys
import tempfile


def write(folder, name, data):
    folder.mkdir(parents=True, exist_ok=True)
    (folder / name).write_bytes(data if isinstance(data, bytes) else data.encode("utf-8"))


def utf16(text, max_units):
    """A string as FuzzInput::utf16(max_units) reads it: its byte count (one byte when the bound fits
    in one, else two, high first), then its UTF-16LE units."""
    data = text.encode("utf-16-le")[: max_units * 2]
    bound = max_units * 2 + 1
    return (bytes([len(data)]) if bound <= 256 else struct.pack(">H", len(data))) + data


def frame(obj):
    body = json.dumps(obj).encode("utf-8")
    return struct.pack(">I", len(body)) + body


def main():
    out = pathlib.Path(sys.argv[1])
    fixtures = pathlib.Path(sys.argv[2])
    if out.exists():
        shutil.rmtree(out)

    t = out / "instance_frames"
    write(t, "status", b"\x40" + frame({"type": "status"}))
    write(t, "open", b"\xff" + frame({"type": "open", "arguments": ["a.pdf", "tolvo://b/1/"], "workingDirectory": "/"}))
    write(t, "two", b"\x08" + frame({"type": "status"}) * 2)
    write(t, "oversize", b"\x04" + struct.pack(">I", 70000) + b"{}")
    write(t, "not-json", b"\x10" + struct.pack(">I", 3) + b"[1]")

    t = out / "rtf_reader"
    write(t, "plain", r"{\rtf1\ansi{\fonttbl{\f0 Helvetica;}}\f0\fs24 Hello\par World}")
    write(t, "link", r'{\rtf1{\field{\*\fldinst{HYPERLINK "tolvo://book/12/"}}{\fldrslt book/12/}}\par}')
    write(t, "colours", r"{\rtf1{\colortbl;\red0\green0\blue255;}\cf1\ul blue\ulnone\line\tab\u8364?\'e9}")
    write(t, "nesting", "{\\rtf1" + "{" * 300 + "x" + "}" * 300 + "}")
    write(t, "binary", r"{\rtf1{\pict\bin4 abcd}\uc2\u-10179??\u-8704??}")

    t = out / "writers"
    for i, data in enumerate([b"\x01\x02\x03\x05\x07\x0f\x33", bytes(range(64)), bytes(range(255, 0, -3))]):
        write(t, "choices-%d" % i, data)

    t = out / "titles"
    for i, text in enumerate(["Chapter 1. Introduction", "Méthodes — état de l'art", "a/b//c/", "  x\t\ty  ",
                              "Tolvo User Guide.pdf", "\U0001F600 emoji", "--..--", "中文标题"]):
        write(t, "title-%d" % i, utf16(text, 2000) + utf16("intro", 200) + utf16(".", 4))

    t = out / "link_grammar"
    for i, url in enumerate(["tolvo://book/12/", "tolvo://book/ii@loc/ii/72/700/", "tolvo://book/chapter.1/methods/",
                             "tolvo://book/", "tolvo://book/A-1@loc/1e39/nan/", "tolvo://b/%20/"]):
        write(t, "url-%d" % i, b"\x03" + b"\x01\x02\x03\x04\x05\x06" + utf16("book/", 6) + utf16("b/", 6)
              + b"\x10\x00\x20" + utf16(url, 4000))

    t = out / "url_dispatch"
    for i, url in enumerate(["book/12/", "book/ch/3/", "b/%41/", "gone/1/", "nosuch/", "%C3%A9/2/", "é/3/"]):
        write(t, "url-%d" % i, b"\x02\x00\x01\x01" + utf16(url, 2000))

    t = out / "defaults_loader"
    write(t, "empty-object", "{}")
    write(t, "values", json.dumps({"TolvoPDFViewRedBoxSizePref": "Small", "TolvoAutoMatchEnabled": True,
                                   "routingDictionarySandboxed": {"book/": {"path": "/x.pdf"}},
                                   "TolvoSearchSplitViewDividerPosition": 1e308}))
    write(t, "wrong-types", json.dumps({"TolvoAutoMatchEnabled": "yes", "TolvoLastSelectedScratchpad": [1]}))
    write(t, "damaged", '{"TolvoPDFViewRedBoxSizePref": "Sm')
    write(t, "not-object", "[1, 2, 3]")

    t = out / "pdf"
    t.mkdir(parents=True, exist_ok=True)
    with tempfile.TemporaryDirectory() as tmp:
        subprocess.run([sys.executable, str(fixtures / "make_fixtures.py"), tmp], check=True)
        for pdf in sorted(pathlib.Path(tmp).glob("*.pdf")):
            # Large fixtures slow every run; the small ones cover the same structures.
            if pdf.stat().st_size <= 64 * 1024:
                shutil.copy(pdf, t / pdf.name)


if __name__ == "__main__":
    main()
