// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/TextFinder.h"

#include "search/MatchText.h"

#include "pdf/WorkAbort.h"

#include <QLoggingCategory>
#include <QMetaObject>

#include <atomic>
#include <condition_variable>
#include <mutex>

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
        if (std::unique_ptr<pdf::Document> copy = document.reopen())
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
        QMetaObject::invokeMethod(
            this, [this, generation] { deliverEnd(generation); }, Qt::QueuedConnection);
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
        while (!job->cancelled.load(std::memory_order_relaxed)) {
            const int page = job->nextPage.fetch_add(1);
            if (page >= job->pageCount)
                break;
            const QVector<QRectF> matches = document.search(page, job->text);
            if (job->cancelled.load())
                continue;
            // Pages without matches are reported too, so that the reader knows which pages are done.
            const quint64 generation = job->generation;
            // The page's own words of the first match, read here rather than on the main thread.
            const QString said
                = matches.isEmpty() ? QString() : matchedText(document.words(page), matches.first(), job->text);
            QMetaObject::invokeMethod(
                this, [this, generation, page, matches, said] { deliverPage(generation, page, matches, said); },
                Qt::QueuedConnection);
        }
        // The last worker to finish a find that ran to its end reports the end, after every match of it.
        if (job->finishedWorkers.fetch_add(1) + 1 == job->workers && !job->cancelled.load()) {
            const quint64 generation = job->generation;
            QMetaObject::invokeMethod(
                this, [this, generation] { deliverEnd(generation); }, Qt::QueuedConnection);
        }
    }
}

void TextFinder::deliverPage(
    quint64 generation, int pageIndex, const QVector<QRectF>& matches, const QString& firstMatchText)
{
    if (generation != m_generation || !m_finding)
        return;
    if (!matches.isEmpty()) {
        emit didMatchPage(pageIndex, matches.first(), int(matches.size()), firstMatchText);
        if (generation == m_generation)
            emit pageMatches(pageIndex, matches);
    }
    if (generation != m_generation || size_t(pageIndex) >= m_searched.size())
        return;
    m_searched[size_t(pageIndex)] = true;
    const int before = m_searchedThrough;
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
