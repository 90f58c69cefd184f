// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Finding a query in one page's text. The page reads as one string: its words
// in reading order, a blank where a word has a space after it or its line ends,
// and a word hyphenated at a line end joined to the next line's first word.
// Letter case and compatibility forms (ligatures, full-width letters) are folded
// away on both sides.

#include "pdf/PdfDocument.h"

#include <QRectF>
#include <QString>
#include <QVector>

#include <vector>

namespace tolvo {

/// One match on a page.
struct PageMatch {
    /// Page space, one rectangle per line the match runs over, in reading order.
    QVector<QRectF> pieces;
    /// What the page says there, a hyphen that only broke a word at a line end left out.
    QString text;
};

/// text folded for the find: lower case, compatibility forms decomposed.
QString foldForFind(const QString& text);

/// The page's text as the find reads it, folded (foldForFind), with a blank for every space and line end.
QString findableText(const pdf::FindText& page);

/// Every match of query (folded here), in reading order; after a match the find goes on behind it.
/// A query that folds to nothing finds nothing.
std::vector<PageMatch> findMatches(const pdf::FindText& page, const QString& query);

} // namespace tolvo
