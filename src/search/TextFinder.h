// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The text find over a whole document, on worker threads. With the PDF's text
// index, the workers share out the pages the index names, each reading it
// through a connection of its own; without it the pages are shared out among
// the workers, each reading its own copy of the PDF, and every
// page read goes into the index being written, which is put in place once every
// page is in. Either way the matches come back on the main thread page by page.

#include "pdf/PdfDocument.h"
#include "search/PageMatch.h"
#include "search/TextIndex.h"

#include <QObject>
#include <QRectF>
#include <QString>

#include <memory>
#include <thread>
#include <vector>

namespace tolvo {

/// A case-insensitive find over every page, one find at a time. Workers take the next page
/// not yet searched (of the PDF, or of the pages the index names), so a page with much text does
/// not hold up the rest. A new find or a
/// cancel ends the running one: none of its matches are delivered after that.
class TextFinder : public QObject {
    Q_OBJECT
public:
    /// One worker thread per document; every document must be a copy of the same PDF.
    explicit TextFinder(std::vector<std::unique_ptr<pdf::Document>> workerDocuments, QObject* parent = nullptr);
    /// A finder with workers copies of document (reopen(), made here on the calling thread);
    /// copies that cannot be made are left out, and with none the finder finds nothing.
    static std::unique_ptr<TextFinder> forDocument(
        const pdf::Document& document, int workers = 2, QObject* parent = nullptr);
    /// Keeps the text index under key: read when there is one, written by the finds otherwise
    /// (bounded by limitBytes, all indexes together). Call before the first find.
    void useIndex(const IndexKey& key, qint64 limitBytes);
    /// Whether the finds read the index.
    bool hasIndex() const;
    /// Stops the workers after the page each is on, and waits for them.
    ~TextFinder() override;

    /// Starts finding text (beginFindString), cancelling a find that runs. An empty text finds nothing.
    void beginFindString(const QString& text);
    /// Ends the running find; nothing more of it is delivered.
    void cancelFindString();
    /// From beginFindString until didEndFind or a cancel.
    bool isFinding() const { return m_finding; }
    int workerCount() const { return int(m_threads.size()); }
    int pageCount() const { return m_pageCount; }

signals:
    /// The matches of the running find on one page (main thread): how many, the first one's
    /// rectangle, and what the page says there (matchedText).
    void didMatchPage(int pageIndex, const tolvo::PageMatch& first, int count);
    /// Every match of the running find on one page, in reading order, in page space (main thread,
    /// right after didMatchPage): one rectangle per line of each match.
    void pageMatches(int pageIndex, const QVector<QRectF>& matches);
    /// How much of the index being written is done, 0 to 100 (main thread); 100 once it is in place.
    void indexProgress(int percent);
    /// Every page has been searched by the running find (PDFDocumentDidEndFindNotification).
    void didEndFind();
    /// Pages 0 to pages - 1 have all been searched and their matches delivered (main thread): the
    /// rows of those pages are final, for a reader that shows rows in page order as they come.
    void searchedThrough(int pages);

private:
    struct Job;
    struct Shared;
    struct Store;
    void workerLoop(const pdf::Document& document);
    /// Shares the pages the index names out among the workers; true when the index turned out
    /// damaged (the pages delivered before are marked done in the job).
    bool findInIndex(const std::shared_ptr<Job>& job, TextIndex& index);
    /// Deletes the index of version (unless the other worker did) and starts writing a new one.
    void dropDamagedIndex(quint64 version, const pdf::Document& document);
    /// Searches the pages of the PDF; true when this worker wrote the index's last page.
    bool findInPages(const std::shared_ptr<Job>& job, const pdf::Document& document);
    /// Reports how much of the index is written; true once every page is in.
    bool reportIndexProgress();
    /// Once every page is in: puts the index in place and reports 100.
    void finishIndex();
    /// The matches on pageIndex (-1: none) of a find, and pages searchedFrom to searchedTo - 1 searched.
    void deliverPage(
        quint64 generation, int pageIndex, const std::vector<PageMatch>& matches, int searchedFrom, int searchedTo);
    void deliverEnd(quint64 generation);

    std::shared_ptr<Shared> m_shared;
    std::shared_ptr<Store> m_store;
    std::vector<std::unique_ptr<pdf::Document>> m_documents;
    std::vector<std::thread> m_threads;
    quint64 m_generation = 0; ///< the find whose results are delivered (main thread)
    bool m_finding = false;
    int m_pageCount = 0;
    std::vector<bool> m_searched; ///< the running find's pages delivered so far
    int m_searchedThrough = 0; ///< pages before this are all in m_searched
};

} // namespace tolvo
