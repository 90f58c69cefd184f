// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The page's own text of a search match, for the selection that a quote takes.

#include "pdf/PdfDocument.h"

#include <QRectF>
#include <QString>

#include <vector>

namespace tolvo {

/// What the page says where a case-insensitive find of query matched at rect (page space, one
/// line): the part of the words under rect that the query matches, in the page's own case and
/// characters ("Physical page 1" of "Physical page 10" for the query "physical PAGE 1"); blanks
/// in the query match any run of blanks on the page, or none between two words. Where the page's
/// words do not spell the query (ligatures, hyphens), the words under rect; with none, query.
QString matchedText(const std::vector<pdf::TextWord>& words, const QRectF& rect, const QString& query);

} // namespace tolvo
