// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Link annotations read straight from a page's /Annots array: no annotation objects
// are built for the page (a manual's index pages hold hundreds of links), and each
// link's destination is resolved to a page and a point here. Internal to pdf/core.

#include "pdf/PdfDocument.h"

#include <QByteArray>
#include <QHash>

#include <memory>
#include <vector>

class PDFDoc;

namespace tolvo::pdf {

class DestinationResolver;

/// Reads the links of pages of one document. Named destinations are indexed once, and a page's
/// are fetched in the order the file stores them: an index page names hundreds of places all over
/// the file, and fetched in the order of the page, each would unpack an object stream of its own.
class LinkReader {
public:
    explicit LinkReader(PDFDoc& doc);
    ~LinkReader();
    LinkReader(const LinkReader&) = delete;
    LinkReader& operator=(const LinkReader&) = delete;

    /// The links of one page in the order of its /Annots array: a /Dest, or an /A action of the kinds
    /// go-to, URI and named. Links that lead nowhere in this PDF, and other actions, are left out.
    std::vector<PageLink> links(int pageIndex);

private:
    /// Every named destination of the /Dests dictionary and the name tree, unfetched.
    void indexNames();

    PDFDoc& m_doc;
    std::unique_ptr<DestinationResolver> m_resolver;
    QHash<QByteArray, std::pair<int, int>> m_names; ///< name to its value's object number and generation
    QHash<QByteArray, std::optional<Destination>> m_resolved; ///< names looked up so far
    bool m_indexed = false;
};

} // namespace tolvo::pdf
