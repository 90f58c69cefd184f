// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Annotations read straight from a page's /Annots array through Poppler's core
// objects: exact rectangles and quadrilaterals, pop-ups included, and no
// annotation objects built (a manual can hold tens of thousands of links). Internal to pdf/core.

#include "pdf/PdfDocument.h"

#include <vector>

class PDFDoc;

namespace tolvo::pdf {

/// The annotations of one page in the order of its /Annots array; entries that are no annotation are left out.
std::vector<Annotation> readAnnotations(PDFDoc& doc, int pageIndex);

/// The markup type of a text markup subtype: Highlight 0, StrikeOut 1, Underline 2, Squiggly 3; -1 for others.
int markupTypeOf(const QString& subtype);

} // namespace tolvo::pdf
