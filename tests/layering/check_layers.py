#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Fails when a folder of src/ includes what its layer may not.

The folders of src/ are layers; each may include its own headers, those of the
folders listed for it below, the Qt modules listed for it, and Poppler only in
pdf/. Within pdf/, Poppler's private core API (PDFDoc.h, Object.h, goo/...) is
reached only from pdf/core/, and the rest of pdf/ uses that folder through its
one facade header. Qt and Poppler headers sit under system include folders, so a
compiler cannot stop `#include <QtWidgets/QWidget>` in core code; this check does.

    check_layers.py SRC_DIR QT_INCLUDE_DIR [POPPLER_INCLUDE_DIR]
    check_layers.py --self-test QT_INCLUDE_DIR [POPPLER_INCLUDE_DIR]
"""
import os
import re
import sys
import tempfile

CORE = {"Core"}
# folder: (our folders it may include, Qt modules it may include, may include Poppler)
LAYERS = {
    "settings": ((), CORE, False),
    "links": (("settings",), CORE, False),
    "outline": (("links", "settings"), CORE, False),
    "routing": (("links", "settings"), CORE, False),
    "pdf": (("outline", "links", "settings"), {"Core", "Gui"}, True),
    "render": (("pdf", "outline", "links", "settings"), {"Core", "Gui", "Svg"}, False),
    "search": (("pdf", "outline", "links", "settings"), {"Core", "Gui"}, False),
    "instance": ((), CORE, False),
    "widgets": ((), {"Core", "Gui", "Widgets"}, False),
    "pageview": (("render", "widgets", "pdf", "outline", "links", "settings"),
                 {"Core", "Gui", "Widgets", "Svg"}, False),
    "document": (("pageview", "render", "search", "widgets", "pdf", "routing", "outline", "links",
                  "settings"), {"Core", "Gui", "Widgets", "DBus", "PrintSupport"}, False),
    "preferences": (("widgets", "routing", "links", "settings"), {"Core", "Gui", "Widgets"}, False),
    "app": (("document", "preferences", "pageview", "render", "search", "instance", "widgets", "pdf",
             "routing", "outline", "links", "settings"),
            {"Core", "Gui", "Widgets", "Network", "DBus", "Svg"}, False),
    "cli": (("render", "search", "instance", "pdf", "routing", "outline", "links", "settings"),
            {"Core", "Gui"}, False),
}

# The only folder that includes Poppler's core headers, and its one header for the rest of pdf/.
CORE_DIR = "pdf/core/"
CORE_FACADE = "pdf/core/CoreDocument.h"
# Poppler's public wrappers, which sit in subfolders of its include folder.
POPPLER_WRAPPERS = ("qt6/", "qt5/", "cpp/", "glib/")

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)


class Resolver:
    """Tells which Qt module, if any, and whether Poppler, an angle include names."""

    def __init__(self, qt_dir, poppler_dir):
        self.qt_dir = qt_dir
        self.poppler_dir = poppler_dir
        self.modules = sorted(d[2:] for d in os.listdir(qt_dir) if d.startswith("Qt"))
        self.cache = {}

    def qt_module(self, name):
        if name not in self.cache:
            found = None
            head = name.split("/", 1)
            if len(head) == 2 and head[0].startswith("Qt") and head[0][2:] in self.modules:
                found = head[0][2:]
            else:
                for m in self.modules:
                    if os.path.isfile(os.path.join(self.qt_dir, "Qt" + m, name)):
                        found = m
                        break
            self.cache[name] = found
        return self.cache[name]

    def is_poppler(self, name):
        if name.startswith("poppler/"):
            return True
        if not self.poppler_dir:
            return False
        return any(os.path.isfile(os.path.join(self.poppler_dir, sub, name)) for sub in ("",) + POPPLER_WRAPPERS)

    def is_poppler_core(self, name):
        """A header of Poppler's private core API rather than of one of its public wrappers."""
        inner = name[len("poppler/"):] if name.startswith("poppler/") else name
        if inner.startswith(POPPLER_WRAPPERS):
            return False
        if name.startswith("poppler/"):
            return True
        return bool(self.poppler_dir) and os.path.isfile(os.path.join(self.poppler_dir, name))


def faults(src_dir, resolver):
    """Every include that breaks the table, as 'file:line: reason'."""
    out = []
    folders = set(LAYERS)
    for folder in sorted(os.listdir(src_dir)):
        path = os.path.join(src_dir, folder)
        if not os.path.isdir(path):
            continue
        if folder not in LAYERS:
            out.append(f"{folder}/: a folder of src/ that has no row in the layer table")
            continue
        ours, qt, poppler = LAYERS[folder]
        allowed = set(ours) | {folder}
        for root, _, names in os.walk(path):
            for name in sorted(names):
                if not name.endswith((".h", ".cpp")):
                    continue
                file = os.path.join(root, name)
                in_core = os.path.relpath(file, src_dir).replace(os.sep, "/").startswith(CORE_DIR)
                text = open(file, encoding="utf-8", errors="replace").read()
                for m in INCLUDE.finditer(text):
                    kind, inc = m.groups()
                    line = text.count("\n", 0, m.start(2)) + 1
                    where = f"{os.path.relpath(file, src_dir)}:{line}"
                    top = inc.split("/", 1)[0]
                    if kind == '"':
                        if "/" in inc and top in folders and top not in allowed:
                            out.append(f"{where}: {folder}/ may not include {inc}")
                        elif inc.startswith(CORE_DIR) and inc != CORE_FACADE and not in_core:
                            out.append(f"{where}: {inc} is internal to {CORE_DIR}; include {CORE_FACADE}")
                        continue
                    module = resolver.qt_module(inc)
                    if module and module not in qt:
                        out.append(f"{where}: {folder}/ may not use Qt {module} (<{inc}>)")
                    elif not module and not poppler and resolver.is_poppler(inc):
                        out.append(f"{where}: only pdf/ may include Poppler (<{inc}>)")
                    elif not module and poppler and not in_core and resolver.is_poppler_core(inc):
                        out.append(f"{where}: only {CORE_DIR} may include Poppler's core API (<{inc}>)")
    return out


def self_test(resolver):
    """The check must catch each kind of stray include and pass a clean tree."""
    cases = [
        ("links", "#include <QtWidgets/QWidget>", True),
        ("links", "#include <QWidget>", True),
        ("links", '#include "document/MyDocument.h"', True),
        ("render", "#include <poppler/qt6/poppler-qt6.h>", True),
        ("search", "#include <PDFDoc.h>", True),
        ("routing", '#include "app/Defaults.h"', True),
        ("cli", "#include <QApplication>", True),
        ("routing", '#include "settings/Defaults.h"', False),
        ("render", "#include <poppler-qt6.h>", True),
        ("pdf", "#include <PDFDoc.h>", True),
        ("pdf", "#include <goo/GooString.h>", True),
        ("pdf", '#include "pdf/core/CoreAccess.h"', True),
        ("pdf", '#include "pdf/core/CoreDocument.h"', False),
        ("pdf", "#include <poppler-qt6.h>", False),
        ("pdf/core", "#include <PDFDoc.h>", False),
        ("pdf/core", '#include "pdf/core/CoreAccess.h"', False),
        ("document", '#include "ui_MyDocument.h"', False),
    ]
    failed = 0
    for folder, line, expect_fault in cases:
        with tempfile.TemporaryDirectory() as tmp:
            os.makedirs(os.path.join(tmp, folder))
            with open(os.path.join(tmp, folder, "Probe.cpp"), "w") as f:
                f.write(line + "\n")
            got = bool(faults(tmp, resolver))
            if got != expect_fault:
                failed += 1
                print(f"self-test: {folder}/ with {line!r}: expected "
                      f"{'a fault' if expect_fault else 'no fault'}")
    return failed


def main(argv):
    if len(argv) >= 2 and argv[1] == "--self-test":
        resolver = Resolver(argv[2], argv[3] if len(argv) > 3 else "")
        return 1 if self_test(resolver) else 0
    resolver = Resolver(argv[2], argv[3] if len(argv) > 3 else "")
    found = faults(argv[1], resolver)
    for f in found:
        print(f)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
