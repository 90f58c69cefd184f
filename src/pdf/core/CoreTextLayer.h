// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A page's text layer and text search, through Poppler's core text extraction.
// Poppler lays text out in the device space it is drawn in; text that shows
// sideways there (upright in page space on a turned page) comes out in broken
// lines and backwards order. So the text is laid out in the orientation most of
// the page's text reads in, and the transform back to page space says which. Internal to pdf/core.

#include "pdf/core/CoreDocument.h"

#include <optional>

class PDFDoc;

namespace tolvo::pdf {

/// The page's text layer; nothing when the page cannot be read or the read was ended (WorkAbort.h).
/// Annotations contribute no text.
std::optional<TextLayer> readTextLayer(PDFDoc& doc, int pageIndex);

/// The page's text for the find, with the edges of its characters; nothing as for readTextLayer.
std::optional<FindText> readFindText(PDFDoc& doc, int pageIndex);

/// Case-insensitive matches of text on one page, in page space.
QVector<QRectF> searchPage(PDFDoc& doc, int pageIndex, const QString& text);

} // namespace tolvo::pdf
