// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/LibrarySearch.h"

#include "links/LinkText.h"
#include "pdf/WorkAbort.h"
#include "search/PageMatch.h"

#include <QFileInfo>

namespace tolvo {

namespace {

bool abandoned(const LibrarySearchCallbacks& callbacks)
{
    return callbacks.abandoned && callbacks.abandoned();
}

// Writes the index of one PDF, page by page; nothing when it was abandoned or could not be written.
std::unique_ptr<TextIndex> writeIndex(
    const LibraryPdf& pdf, const pdf::Document& document, qint64 limitBytes, const LibrarySearchCallbacks& callbacks)
{
    const int pages = document.pageCount();
    std::unique_ptr<IndexWriter> writer = IndexWriter::start(pdf.key, pages, document.pageLabels());
    if (!writer)
        return nullptr;
    const pdf::AbortScope scope([&callbacks] { return abandoned(callbacks); });
    int shown = -1;
    for (int page = 0; page < pages; ++page) {
        std::optional<pdf::FindText> text = document.findText(page);
        if (abandoned(callbacks))
            return nullptr;
        if (!text)
            text = pdf::FindText();
        roundAsStored(*text);
        if (!writer->put(page, *text))
            return nullptr;
        const int percent = int(qint64(page + 1) * 100 / pages);
        if (percent != shown && callbacks.indexing) {
            shown = percent;
            callbacks.indexing(pdf, percent);
        }
    }
    if (!writer->finish(limitBytes))
        return nullptr;
    return TextIndex::open(pdf.key, pages);
}

} // namespace

void searchLibrary(const std::vector<LibraryPdf>& pdfs, const QString& query, qint64 limitBytes,
    const LibrarySearchCallbacks& callbacks)
{
    const QString folded = foldForFind(query);
    if (folded.trimmed().isEmpty())
        return;
    for (const LibraryPdf& pdf : pdfs) {
        if (abandoned(callbacks))
            return;
        // An indexed PDF is not opened at all: the index has its text and its page labels.
        std::unique_ptr<TextIndex> index = TextIndex::open(pdf.key);
        if (!index) {
            const pdf::OpenResult opened = pdf::openDocument(pdf.path);
            if (!opened.document) {
                if (callbacks.failed)
                    callbacks.failed(pdf, opened.error);
                continue;
            }
            index = writeIndex(pdf, *opened.document, limitBytes, callbacks);
        }
        if (abandoned(callbacks))
            return;
        if (!index) {
            if (callbacks.failed)
                callbacks.failed(pdf, QStringLiteral("its text index could not be written"));
            continue;
        }
        const QStringList& labels = index->pageLabels();
        const std::optional<std::vector<int>> pages = index->candidatePages(folded);
        for (const int page : pages.value_or(std::vector<int>())) {
            if (abandoned(callbacks))
                return;
            const std::optional<pdf::FindText> text = index->page(page);
            if (!text)
                continue;
            const std::vector<PageMatch> matches = findMatches(*text, query);
            if (matches.empty())
                continue;
            LibraryHit hit;
            hit.prefix = pdf.prefix;
            hit.path = pdf.path;
            hit.pageIndex = page;
            hit.pageLabel = labels.value(page, QString::number(page + 1));
            hit.count = int(matches.size());
            hit.text = textAround(*text, matches.front());
            hit.link = urlText(pdf.prefix, LinkPlace::page(hit.pageLabel));
            if (callbacks.hit)
                callbacks.hit(hit);
        }
    }
}

} // namespace tolvo
