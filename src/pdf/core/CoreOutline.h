// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The outline read through Poppler's core objects: exact destinations, and a walk
// that a damaged outline (loops, shared items, endless nesting) cannot keep going. Internal to pdf/core.

#include "pdf/PdfDocument.h"

#include <vector>

class PDFDoc;

namespace tolvo::pdf {

/// Limits of the outline walk: deeper entries are left out, and so is everything after the last entry allowed.
struct OutlineLimits {
    int maxDepth = 100;
    int maxEntries = 200000;
};

/// The outline entries of doc; each outline item object is read once, so a loop in /Next or /First ends the list there.
std::vector<OutlineEntry> readOutline(PDFDoc& doc, const OutlineLimits& limits = {});

} // namespace tolvo::pdf
