// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One query over many PDFs (the routed library): each PDF's text index is read,
// or written first where there is none yet, and every page with matches gives a
// row that links to the page.

#include "search/TextIndex.h"

#include <QString>

#include <functional>
#include <vector>

namespace tolvo {

/// One PDF to search: its link prefix, its file and the key of its index.
struct LibraryPdf {
    QString prefix;
    QString path;
    IndexKey key;
};

/// One page with matches.
struct LibraryHit {
    QString prefix;
    QString path;
    int pageIndex = 0;
    QString pageLabel;
    int count = 0; ///< matches on the page
    QString text; ///< the page's words around the first match
    QString link; ///< tolvo://prefix/label/
};

struct LibrarySearchCallbacks {
    /// A hit, in the order of the PDFs given and, within one, of its pages.
    std::function<void(const LibraryHit&)> hit;
    /// A PDF without an index is being indexed: how far, 0 to 100.
    std::function<void(const LibraryPdf&, int percent)> indexing;
    /// A PDF that could not be searched, and why.
    std::function<void(const LibraryPdf&, const QString& reason)> failed;
    /// Asked between pages: true ends the search.
    std::function<bool()> abandoned;
};

/// Searches every PDF for query, writing the indexes that are missing (bounded by limitBytes).
void searchLibrary(const std::vector<LibraryPdf>& pdfs, const QString& query, qint64 limitBytes,
    const LibrarySearchCallbacks& callbacks);

} // namespace tolvo
