// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Link annotations read straight from a page's /Annots array: no annotation objects
// are built for the page (a manual's index pages hold hundreds of links), and each
// link's destination is resolved to a page and a point here. Internal to pdf/core.

#include "pdf/PdfDocument.h"

#include <vector>

class PDFDoc;

namespace tolvo::pdf {

class DestinationResolver;

/// The links of one page in the order of its /Annots array: a /Dest, or an /A action of the kinds
/// go-to, URI and named. Links that lead nowhere in this PDF, and other actions, are left out.
std::vector<PageLink> readLinks(PDFDoc& doc, DestinationResolver& destinations, int pageIndex);

} // namespace tolvo::pdf
