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
    /// The first and last word of the page the match touches.
    int firstWord = -1;
    int lastWord = -1;
};

/// The page's words around a match, on one line (about radius characters on either side).
QString textAround(const pdf::FindText& page, const PageMatch& match, int radius = 60);

/// text folded for the find: lower case, compatibility forms decomposed.
QString foldForFind(const QString& text);

/// The page's text as the find reads it, folded (foldForFind), with a blank for every space and
/// line end and without the hyphens that break words at line ends: a query without a hyphen that
/// the find matches on the page is part of this text.
QString findableText(const pdf::FindText& page);

/// Every match of query (folded here), in reading order; after a match the find goes on behind it.
/// A query that folds to nothing finds nothing.
std::vector<PageMatch> findMatches(const pdf::FindText& page, const QString& query);

} // namespace tolvo
