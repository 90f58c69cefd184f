// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One row of the search results, and the rows that the outline and the
// annotation list give for a query.

#include "pdf/PdfDocument.h"
#include "search/AnnotationRecord.h"

#include <QHash>
#include <QString>

#include <variant>
#include <vector>

namespace tolvo {

class MyOutlineItem;
class OutlineTree;

/// One search result: a TOC item, an annotation, or the text matches of one page.
struct MySearchResult {
    /// TOC: the item; annotation: the selection for its rectangle; text: the first match on the page.
    using MoreInfo = std::variant<std::monostate, const MyOutlineItem*, pdf::TextSelection>;

    QString resultType; ///< "TOC", "Text", or an annotation record's type
    QString resultDescription; ///< the row's text
    quint64 pageIndex = 0;
    quint64 resultCountOnPage = 0; ///< text matches on the page; 1 for TOC and annotation rows
    QString pageLabel; ///< a TOC row's is the item's extended page label
    MoreInfo resultMoreInfo;

    /// "pg[label/iN] type T and contents [D], more info object class <C>".
    QString debugDescription() const;
    /// The class name of the more-info object: "MyOutlineItem", "TextSelection", or "(null)".
    QString moreInfoClassName() const;
    /// The selection of an annotation or text row; nothing for others.
    const pdf::TextSelection* selection() const { return std::get_if<pdf::TextSelection>(&resultMoreInfo); }
    const MyOutlineItem* outlineItem() const;
};

/// The result types of the filter's segments.
inline constexpr char kResultTypeText[] = "Text";
inline constexpr char kResultTypeTOC[] = "TOC";

/// "\"typed\" found on page L" for one match, "\"typed\" found N times on page L" for more.
QString textResultDescription(const QString& typed, quint64 count, const QString& pageLabel);

/// The rows of the outline items whose lower-cased title contains query (already lower case):
/// the height buckets in order, each in pre-order, so leaves come first.
std::vector<MySearchResult> tocResults(
    const OutlineTree& tree, const QString& query, const QHash<QString, int>& pageLabel2pageIndex);

/// The rows of the records whose lower-cased text contains query (already lower case), in list order.
std::vector<MySearchResult> annotationResults(const std::vector<AnnotationRecord>& records, const QString& query);

/// Whether a query has something to search for: a piece that is not empty between single spaces.
bool isSearchableQuery(const QString& query);

} // namespace tolvo
