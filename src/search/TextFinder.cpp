// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/TextFinder.h"

#include "pdf/WorkAbort.h"
#include "settings/HandOver.h"

#include <QLoggingCategory>
#include <QMetaObject>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>

namespace tolvo {

Q_LOGGING_CATEGORY(lcFind, "tolvo.find")

/// One find: its text and the pages still to share out. Each find has its own page counter,
/// so a worker still busy with an old find can never take a page of the new one.
struct TextFinder::Job {
    QString text;
    quint64 generation = 0;
    int pageCount = 0;
    int workers = 0;
    std::atomic<int> nextPage { 0 };
    std::atomic<int> finishedWorkers { 0 };
    std::atomic<bool> cancelled { false };

    /// Whether this find reads the index, decided once by the first worker to start on it, so that
    /// an index put in place meanwhile cannot have the workers search the same pages twice.
    std::once_flag modeOnce;
    bool fromIndex = false;
    /// From the index: the pages that may match, shared out like the pages of the PDF.
    std::once_flag candidatesOnce;
    std::optional<std::vector<int>> candidates;
    std::atomic<int> nextCandidate { 0 };
    std::atomic<int> readingIndex { 0 }; ///< workers still reading the index
    std::atomic<bool> indexDamaged { false };
    /// Pages delivered from the index: after it turns out damaged the PDF is searched for the rest.
    std::mutex doneMutex;
    std::vector<bool> done;
    void markDone(int from, int to)
    {
        std::lock_guard lock(doneMutex);
        if (done.empty())
            done.resize(size_t(pageCount), false);
        for (int page = from; page < to; ++page)
            done[size_t(page)] = true;
    }
    bool isDone(int page)
    {
        std::lock_guard lock(doneMutex);
        return !done.empty() && done[size_t(page)];
    }
};

/// The PDF's text index: the complete one, or the one being written by the finds.
struct TextFinder::Store {
    std::mutex mutex;
    IndexKey key;
    qint64 limitBytes = 0;
    int pageCount = 0;
    QStringList labels; ///< kept in the index written
    std::unique_ptr<TextIndex> index; ///< complete; each worker reads it through a connection of its own
    quint64 indexVersion = 0; ///< changes whenever index does, so that a worker's connection follows
    std::unique_ptr<IndexWriter> writer; ///< thread-safe itself
    std::atomic<int> percent { -1 };
};

struct TextFinder::Shared {
    std::mutex mutex;
    std::condition_variable wake;
    std::shared_ptr<Job> job; ///< the newest find
    bool stop = false;
};

TextFinder::TextFinder(std::vector<std::unique_ptr<pdf::Document>> workerDocuments, QObject* parent)
    : QObject(parent)
    , m_shared(std::make_shared<Shared>())
    , m_store(std::make_shared<Store>())
{
    for (std::unique_ptr<pdf::Document>& document : workerDocuments)
        if (document)
            m_documents.push_back(std::move(document));
    m_pageCount = m_documents.empty() ? 0 : m_documents.front()->pageCount();
    for (const std::unique_ptr<pdf::Document>& document : m_documents)
        m_threads.emplace_back([this, doc = document.get()] { workerLoop(*doc); });
}

std::unique_ptr<TextFinder> TextFinder::forDocument(const pdf::Document& document, int workers, QObject* parent)
{
    std::vector<std::unique_ptr<pdf::Document>> copies;
    for (int i = 0; i < workers; ++i) {
        if (std::unique_ptr<pdf::Document> copy = document.reopenForScan())
            copies.push_back(std::move(copy));
        else
            qCWarning(lcFind).noquote() << "Cannot read" << document.filePath() << "for the text find";
    }
    return std::make_unique<TextFinder>(std::move(copies), parent);
}

TextFinder::~TextFinder()
{
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->stop = true;
        if (m_shared->job)
            m_shared->job->cancelled = true;
    }
    m_shared->wake.notify_all();
    for (std::thread& thread : m_threads)
        thread.join();
    // Matches posted but not delivered go with this object's posted events.
}

void TextFinder::useIndex(const IndexKey& key, qint64 limitBytes)
{
    std::lock_guard lock(m_store->mutex);
    m_store->key = key;
    m_store->limitBytes = limitBytes;
    m_store->pageCount = m_pageCount;
    m_store->index = TextIndex::open(key, m_pageCount);
    ++m_store->indexVersion;
    if (!m_store->index && !m_documents.empty()) {
        m_store->labels = m_documents.front()->pageLabels();
        m_store->writer = IndexWriter::start(key, m_pageCount, m_store->labels);
    }
}

bool TextFinder::hasIndex() const
{
    std::lock_guard lock(m_store->mutex);
    return m_store->index != nullptr;
}

void TextFinder::beginFindString(const QString& text)
{
    const quint64 generation = ++m_generation;
    auto job = std::make_shared<Job>();
    job->text = text;
    job->generation = generation;
    job->pageCount = m_pageCount;
    job->workers = int(m_threads.size());
    {
        std::lock_guard lock(m_shared->mutex);
        if (m_shared->job)
            m_shared->job->cancelled = true;
        m_shared->job = text.isEmpty() ? nullptr : job;
    }
    m_finding = !text.isEmpty();
    m_searched.assign(size_t(m_pageCount), false);
    m_searchedThrough = 0;
    if (!m_finding)
        return;
    if (m_threads.empty() || m_pageCount == 0) {
        handOver(this, [this, generation] { deliverEnd(generation); });
        return;
    }
    m_shared->wake.notify_all();
}

void TextFinder::cancelFindString()
{
    ++m_generation;
    m_finding = false;
    std::lock_guard lock(m_shared->mutex);
    if (m_shared->job)
        m_shared->job->cancelled = true;
    m_shared->job.reset();
}

void TextFinder::workerLoop(const pdf::Document& document)
{
    std::shared_ptr<Job> last;
    std::unique_ptr<TextIndex> reader; // this worker's connection to the complete index
    quint64 readerVersion = 0;
    for (;;) {
        std::shared_ptr<Job> job;
        {
            std::unique_lock lock(m_shared->mutex);
            m_shared->wake.wait(lock, [&] { return m_shared->stop || (m_shared->job && m_shared->job != last); });
            if (m_shared->stop)
                return;
            job = m_shared->job;
        }
        last = job;
        // A page whose text takes seconds to read ends as soon as the find is cancelled or the finder goes.
        const pdf::AbortScope abortScope([&job] { return job->cancelled.load(std::memory_order_relaxed); });
        quint64 version = 0;
        {
            std::lock_guard storeLock(m_store->mutex);
            std::call_once(job->modeOnce, [&] { job->fromIndex = m_store->index != nullptr; });
            if (job->fromIndex && m_store->index)
                version = m_store->indexVersion;
        }
        if (version != readerVersion) {
            reader = version ? TextIndex::open(m_store->key, m_store->pageCount) : nullptr;
            readerVersion = version;
        }
        if (job->fromIndex) {
            ++job->readingIndex;
            // An index that cannot be opened any more counts as damaged.
            const bool damaged = reader ? findInIndex(job, *reader) : (job->indexDamaged = true);
            --job->readingIndex;
            if (damaged)
                dropDamagedIndex(readerVersion, document);
        }
        bool indexComplete = false;
        if (!job->fromIndex || job->indexDamaged) {
            // After a damaged index the PDF gives the pages not delivered yet, once no worker reads the index.
            while (job->readingIndex.load() > 0)
                std::this_thread::yield();
            indexComplete = findInPages(job, document);
        }
        // The last worker to finish a find that ran to its end reports the end, after every match of it.
        if (job->finishedWorkers.fetch_add(1) + 1 == job->workers && !job->cancelled.load()) {
            const quint64 generation = job->generation;
            handOver(this, [this, generation] { deliverEnd(generation); });
        }
        // The find's end does not wait for the index to be committed and put in place.
        if (indexComplete)
            finishIndex();
    }
}

void TextFinder::dropDamagedIndex(quint64 version, const pdf::Document& document)
{
    std::lock_guard lock(m_store->mutex);
    if (m_store->indexVersion != version || !m_store->index)
        return; // the other worker dropped it
    // A damaged index is dropped; the find goes on over the PDF and writes a new one.
    m_store->index->discard();
    m_store->index.reset();
    ++m_store->indexVersion;
    m_store->writer = IndexWriter::start(
        m_store->key, m_store->pageCount, m_store->labels.isEmpty() ? document.pageLabels() : m_store->labels);
}

bool TextFinder::findInIndex(const std::shared_ptr<Job>& job, TextIndex& index)
{
    const quint64 generation = job->generation;
    std::call_once(job->candidatesOnce, [&] { job->candidates = index.candidatePages(foldForFind(job->text)); });
    if (!job->candidates) {
        job->indexDamaged = true;
        return true;
    }
    const std::vector<int>& pages = *job->candidates;
    const int count = int(pages.size());
    pdf::FindText text; // its room serves every page
    while (!job->cancelled.load(std::memory_order_relaxed) && !job->indexDamaged.load()) {
        const int k = job->nextCandidate.fetch_add(1);
        if (k > count)
            break;
        // A candidate vouches for the pages between it and the one before: the index named none of them.
        const int from = k == 0 ? 0 : pages[size_t(k) - 1] + 1;
        if (k == count) {
            job->markDone(from, job->pageCount);
            handOver(
                this, [this, generation, from, to = job->pageCount] { deliverPage(generation, -1, {}, from, to); });
            break;
        }
        const int page = pages[size_t(k)];
        if (!index.page(page, text)) {
            job->indexDamaged = true;
            return true;
        }
        std::vector<PageMatch> matches = findMatches(text, job->text);
        job->markDone(from, page + 1);
        handOver(this, [this, generation, page, from, found = std::move(matches)] {
            deliverPage(generation, page, found, from, page + 1);
        });
    }
    return false;
}

bool TextFinder::findInPages(const std::shared_ptr<Job>& job, const pdf::Document& document)
{
    bool completed = false;
    IndexWriter* writer = nullptr;
    {
        std::lock_guard lock(m_store->mutex);
        writer = m_store->writer.get();
    }
    while (!job->cancelled.load(std::memory_order_relaxed)) {
        const int page = job->nextPage.fetch_add(1);
        if (page >= job->pageCount)
            break;
        if (job->isDone(page)) {
            // Delivered from the index before it turned out damaged; the new index needs it still.
            if (writer && !writer->has(page)) {
                std::optional<pdf::FindText> text = document.findText(page);
                if (job->cancelled.load())
                    continue;
                if (!text)
                    text = pdf::FindText();
                roundAsStored(*text);
                if (writer->put(page, *text))
                    completed = reportIndexProgress() || completed;
            }
            continue;
        }
        // A page an earlier find read is in the index being written.
        std::optional<pdf::FindText> text = writer ? writer->page(page) : std::nullopt;
        const bool read = !text;
        if (read) {
            text = document.findText(page);
            if (job->cancelled.load())
                continue;
            if (text)
                roundAsStored(*text);
        }
        std::vector<PageMatch> matches = text ? findMatches(*text, job->text) : std::vector<PageMatch>();
        if (job->cancelled.load())
            continue;
        // Pages without matches are reported too, so that the reader knows which pages are done.
        // The row goes out before the page is written into the index: the find does not wait for that.
        const quint64 generation = job->generation;
        handOver(this, [this, generation, page, found = std::move(matches)] {
            deliverPage(generation, page, found, page, page + 1);
        });
        if (read && text && writer && writer->put(page, *text))
            completed = reportIndexProgress() || completed;
    }
    return completed;
}

bool TextFinder::reportIndexProgress()
{
    IndexWriter* writer = m_store->writer.get();
    if (!writer)
        return false;
    const int percent = writer->pageCount() ? int(qint64(writer->written()) * 100 / writer->pageCount()) : 100;
    // 100 only once the index is in place (finishIndex).
    const int shown = std::min(percent, 99);
    if (m_store->percent.exchange(shown) != shown)
        handOver(this, [this, shown] { emit indexProgress(shown); });
    return writer->isComplete();
}

void TextFinder::finishIndex()
{
    bool finished = false;
    {
        std::lock_guard lock(m_store->mutex);
        IndexWriter* writer = m_store->writer.get();
        // The worker that wrote the last page puts the index in place; the finds read it from then on.
        if (writer && writer->isComplete() && writer->finish(m_store->limitBytes)) {
            m_store->index = TextIndex::open(m_store->key, m_store->pageCount);
            ++m_store->indexVersion;
            finished = m_store->index != nullptr;
        }
    }
    if (finished && m_store->percent.exchange(100) != 100)
        handOver(this, [this] { emit indexProgress(100); });
}

void TextFinder::deliverPage(
    quint64 generation, int pageIndex, const std::vector<PageMatch>& matches, int searchedFrom, int searchedTo)
{
    if (generation != m_generation || !m_finding)
        return;
    if (!matches.empty()) {
        emit didMatchPage(pageIndex, matches.front(), int(matches.size()));
        if (generation != m_generation)
            return;
        QVector<QRectF> rects;
        for (const PageMatch& match : matches)
            rects += match.pieces;
        emit pageMatches(pageIndex, rects);
    }
    if (generation != m_generation)
        return;
    const int before = m_searchedThrough;
    for (int i = std::max(searchedFrom, 0); i < std::min(searchedTo, int(m_searched.size())); ++i)
        m_searched[size_t(i)] = true;
    while (m_searchedThrough < int(m_searched.size()) && m_searched[size_t(m_searchedThrough)])
        ++m_searchedThrough;
    if (m_searchedThrough != before)
        emit searchedThrough(m_searchedThrough);
}

void TextFinder::deliverEnd(quint64 generation)
{
    if (generation != m_generation || !m_finding)
        return;
    m_finding = false;
    emit didEndFind();
}

} // namespace tolvo
