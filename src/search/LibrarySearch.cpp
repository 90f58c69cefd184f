// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/LibrarySearch.h"

#include "links/LinkText.h"
#include "pdf/WorkAbort.h"
#include "search/PageMatch.h"

#include <QFileInfo>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace tolvo {

namespace {

bool abandoned(const LibrarySearchCallbacks& callbacks)
{
    return callbacks.abandoned && callbacks.abandoned();
}

// Writes the index of one PDF, its pages shared out between this thread and a helper with a copy
// of the PDF of its own (a page's text takes milliseconds, the writing little); nothing when it was
// abandoned or could not be written. Progress is reported from this thread.
std::unique_ptr<TextIndex> writeIndex(
    const LibraryPdf& pdf, const pdf::Document& document, qint64 limitBytes, const LibrarySearchCallbacks& callbacks)
{
    const int pages = document.pageCount();
    std::unique_ptr<IndexWriter> writer = IndexWriter::start(pdf.key, pages, document.pageLabels());
    if (!writer)
        return nullptr;
    std::atomic<int> next { 0 };
    std::atomic<bool> failed { false };
    std::atomic<bool> stopped { false };
    // Takes pages until none is left, or until the search is abandoned or a page cannot be written.
    const auto work = [&](const pdf::Document& from, bool reports) {
        const pdf::AbortScope scope(
            [&] { return stopped.load(std::memory_order_relaxed) || (reports && abandoned(callbacks)); });
        int shown = -1;
        for (int page; !stopped.load() && (page = next.fetch_add(1)) < pages;) {
            std::optional<pdf::FindText> text = from.findText(page);
            // A read ended half way is no page's text.
            if (stopped.load() || (reports && abandoned(callbacks))) {
                stopped = true;
                return;
            }
            if (!text)
                text = pdf::FindText();
            roundAsStored(*text);
            if (!writer->put(page, *text)) {
                failed = true;
                stopped = true;
                return;
            }
            if (!reports)
                continue;
            const int percent = int(qint64(writer->written()) * 100 / pages);
            if (percent != shown && percent < 100 && callbacks.indexing) {
                shown = percent;
                callbacks.indexing(pdf, percent);
            }
        }
    };
    std::unique_ptr<pdf::Document> copy = pages > 1 ? document.reopenForScan() : nullptr;
    std::thread helper;
    if (copy)
        helper = std::thread([&] { work(*copy, false); });
    work(document, true);
    if (helper.joinable())
        helper.join();
    if (failed || stopped || abandoned(callbacks) || !writer->isComplete())
        return nullptr;
    if (callbacks.indexing)
        callbacks.indexing(pdf, 100);
    if (!writer->finish(limitBytes))
        return nullptr;
    return TextIndex::open(pdf.key, pages);
}

} // namespace

namespace {

// One PDF's part of the search.
struct PdfResult {
    std::vector<LibraryHit> hits;
    bool indexed = false; ///< false: no index yet, the calling thread writes one and searches again
};

// The hits of one PDF through its index.
void searchIndex(const LibraryPdf& pdf, TextIndex& index, const QString& query, const QString& folded,
    const std::function<bool()>& stop, std::vector<LibraryHit>& hits)
{
    const QStringList& labels = index.pageLabels();
    const std::optional<std::vector<int>> pages = index.candidatePages(folded);
    pdf::FindText text; // its room serves every page
    for (const int page : pages.value_or(std::vector<int>())) {
        if (stop())
            return;
        if (!index.page(page, text))
            continue;
        const std::vector<PageMatch> matches = findMatches(text, query);
        if (matches.empty())
            continue;
        LibraryHit hit;
        hit.prefix = pdf.prefix;
        hit.path = pdf.path;
        hit.pageIndex = page;
        hit.pageLabel = labels.value(page, QString::number(page + 1));
        hit.count = int(matches.size());
        hit.text = textAround(text, matches.front());
        hit.link = urlText(pdf.prefix, LinkPlace::page(hit.pageLabel));
        hits.push_back(std::move(hit));
    }
}

} // namespace

void searchLibrary(const std::vector<LibraryPdf>& pdfs, const QString& query, qint64 limitBytes,
    const LibrarySearchCallbacks& callbacks)
{
    const QString folded = foldForFind(query);
    if (folded.trimmed().isEmpty())
        return;
    // The indexed PDFs are searched on two threads, this one and a helper, each taking the next PDF
    // not taken; the hits go out from this thread in the order of the PDFs. An indexed PDF is not
    // opened at all: the index has its text and its page labels. A PDF without an index is left to
    // this thread, which writes the index when that PDF's turn comes, with its progress.
    const int count = int(pdfs.size());
    std::vector<PdfResult> results(pdfs.size());
    std::vector<bool> ready(pdfs.size(), false);
    std::mutex mutex;
    std::condition_variable done;
    std::atomic<int> next { 0 };
    std::atomic<bool> stopped { false };
    const std::function<bool()> stop = [&stopped] { return stopped.load(std::memory_order_relaxed); };
    // Searches the next PDF not taken; false when there is none.
    const auto takeOne = [&] {
        const int i = next.fetch_add(1);
        if (i >= count)
            return false;
        PdfResult result;
        if (!stop()) {
            if (std::unique_ptr<TextIndex> index = TextIndex::open(pdfs[size_t(i)].key)) {
                result.indexed = true;
                searchIndex(pdfs[size_t(i)], *index, query, folded, stop, result.hits);
            }
        }
        std::lock_guard lock(mutex);
        results[size_t(i)] = std::move(result);
        ready[size_t(i)] = true;
        done.notify_all();
        return true;
    };
    std::thread helper([&] {
        while (takeOne()) { }
    });
    const auto waitFor = [&](int i) {
        for (;;) {
            {
                std::lock_guard lock(mutex);
                if (ready[size_t(i)])
                    return;
            }
            // While the PDF due is being searched by the helper, this thread searches the ones after it.
            if (!takeOne()) {
                std::unique_lock lock(mutex);
                done.wait(lock, [&] { return ready[size_t(i)]; });
                return;
            }
        }
    };
    for (int i = 0; i < count; ++i) {
        if (abandoned(callbacks))
            break;
        waitFor(i);
        const LibraryPdf& pdf = pdfs[size_t(i)];
        PdfResult& result = results[size_t(i)];
        if (!result.indexed) {
            const pdf::OpenResult opened = pdf::openDocument(pdf.path);
            if (!opened.document) {
                if (callbacks.failed)
                    callbacks.failed(pdf, opened.error);
                continue;
            }
            const std::unique_ptr<TextIndex> index = writeIndex(pdf, *opened.document, limitBytes, callbacks);
            if (abandoned(callbacks))
                break;
            if (!index) {
                if (callbacks.failed)
                    callbacks.failed(pdf, QStringLiteral("its text index could not be written"));
                continue;
            }
            searchIndex(
                pdf, *index, query, folded, [&callbacks] { return abandoned(callbacks); }, result.hits);
        }
        for (const LibraryHit& hit : result.hits) {
            if (abandoned(callbacks))
                break;
            if (callbacks.hit)
                callbacks.hit(hit);
        }
        result.hits.clear();
    }
    stopped = true;
    helper.join();
}

} // namespace tolvo
