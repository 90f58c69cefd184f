// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The link annotations of the pages in view, read on a thread of their own and
// kept per page: a manual can hold tens of thousands of links, and an index page
// hundreds, so neither opening a PDF nor scrolling waits for them. The thread
// works on its own copy of the document, made when the first page is asked for.
// Only the pages read last are kept: a reader who goes through a whole manual
// would otherwise hold every link of it.

#include "pdf/PdfDocument.h"

#include <QHash>
#include <QObject>
#include <QPointF>
#include <QSet>
#include <QVector>

#include <deque>
#include <memory>
#include <vector>

namespace tolvo::pageview {

/// One link of a page and, for a place in the PDF, the label of the page it leads to.
struct LinkArea {
    pdf::PageLink link;
    QString targetLabel;
};

/// The links of a document's pages, read in the background as pages are asked for.
class PdfLinkAreas : public QObject {
    Q_OBJECT
public:
    /// Pages whose links are kept, besides those last asked for.
    static constexpr int kPagesKept = 64;

    explicit PdfLinkAreas(QObject* parent = nullptr);
    /// Stops the reading thread and waits for it.
    ~PdfLinkAreas() override;

    /// Forgets every page and stops reading; nullptr reads nothing. The document must outlive
    /// this object or be replaced first.
    void setDocument(const pdf::Document* document);
    /// Asks for the links of pages not read yet, the first ones first; replaces earlier wishes.
    void want(const QVector<int>& pages);
    /// True once a page's links have been read.
    bool isRead(int pageIndex) const { return m_pages.contains(pageIndex); }
    /// The links of a page, in the page's order; empty until it is read.
    const std::vector<LinkArea>& linksOn(int pageIndex) const;
    /// The link under a point of a page (page space): the last one in the page's order, as it is
    /// drawn on top; nullptr when there is none or the page is not read yet.
    const LinkArea* linkAt(int pageIndex, const QPointF& pagePoint) const;

signals:
    /// A page's links have been read (delivered on the owner's thread).
    void pageRead(int pageIndex);

private:
    struct Shared;
    void start();
    void stop();
    void deliver(const std::shared_ptr<Shared>& shared, int pageIndex, std::vector<LinkArea> links);

    const pdf::Document* m_document = nullptr;
    std::shared_ptr<Shared> m_shared;
    QHash<int, std::vector<LinkArea>> m_pages;
    std::deque<int> m_readOrder; ///< the pages of m_pages, the one read first first
    QSet<int> m_wanted; ///< the pages last asked for, which are never let go of
};

} // namespace tolvo::pageview
