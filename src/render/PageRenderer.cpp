// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/PageRenderer.h"

#include "render/ImageCache.h"
#include "settings/StartupTrace.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace tolvo::pageview {

namespace {

struct Job {
    PageImageKey key;
    double scale = 1;
    std::shared_ptr<std::atomic<bool>> abort;
};

} // namespace

// The state that the owner and its workers share; guarded by mutex.
struct PageRenderer::Shared {
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<Job> queue; // wanted and not started
    std::vector<Job> running; // started, one per busy worker
    QSet<PageImageKey> posted; // drawn, on their way to the owner
    bool stopping = false;
    std::vector<std::thread> threads;
    std::atomic<int> aborted { 0 };
};

PageRenderer::PageRenderer(QObject* parent)
    : QObject(parent)
    , m_shared(std::make_shared<Shared>())
{
}

PageRenderer::~PageRenderer()
{
    stopWorkers();
}

int PageRenderer::workerCount() const
{
    return int(m_shared->threads.size());
}

int PageRenderer::abortedCount() const
{
    return m_shared->aborted.load();
}

void PageRenderer::stopWorkers()
{
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->stopping = true;
        m_shared->queue.clear();
        for (Job& job : m_shared->running)
            job.abort->store(true);
    }
    m_shared->wake.notify_all();
    for (std::thread& t : m_shared->threads)
        t.join();
    m_shared->threads.clear();
    std::lock_guard lock(m_shared->mutex);
    m_shared->running.clear();
    m_shared->posted.clear();
    m_shared->stopping = false;
}

void PageRenderer::setDocument(const pdf::Document* document, int workers, pdf::DocumentCopySource firstCopy)
{
    stopWorkers();
    m_document = document;
    m_workersWanted = document ? std::max(1, workers) : 0;
    if (!document)
        return;
    // Results of an earlier document never reach the owner: a fresh Shared per document.
    m_shared = std::make_shared<Shared>();
    startWorker(m_shared, document, std::move(firstCopy));
}

void PageRenderer::startAllWorkers()
{
    while (m_document && workerCount() < m_workersWanted)
        startWorker(m_shared, m_document);
}

void PageRenderer::startWorker(
    const std::shared_ptr<Shared>& shared, const pdf::Document* document, pdf::DocumentCopySource given)
{
    // The worker opens its copy itself: the window's thread goes on meanwhile, and a first
    // page wanted before the copy is open waits in the queue. The owner outlives the worker
    // (stopWorkers() joins it before the document may go).
    shared->threads.emplace_back([shared, document, this, given = std::move(given)]() mutable {
        std::unique_ptr<pdf::Document> copy = given ? given() : nullptr;
        if (!copy)
            copy = document->reopen();
        startupStep("renderer copy open");
        for (;;) {
            Job job;
            {
                std::unique_lock lock(shared->mutex);
                shared->wake.wait(lock, [&] { return shared->stopping || !shared->queue.empty(); });
                if (shared->stopping)
                    return;
                job = shared->queue.front();
                shared->queue.pop_front();
                shared->running.push_back(job);
            }
            QImage image;
            startupStep("drawing a page");

            if (copy)
                image = copy->render(job.key.pageIndex, job.scale, [abort = job.abort] { return abort->load(); });
            startupStep("page drawn");
            const bool aborted = job.abort->load();
            {
                std::lock_guard lock(shared->mutex);
                std::erase_if(shared->running, [&](const Job& j) { return j.abort == job.abort; });
                if (aborted) {
                    shared->aborted.fetch_add(1);
                    continue;
                }
                shared->posted.insert(job.key);
            }
            const int page = job.key.pageIndex;
            const double scale = job.scale;
            const PageImageKey key = job.key;
            // Queued to the owner's thread; a result for an earlier document is dropped there.
            QMetaObject::invokeMethod(
                this,
                [this, shared, page, scale, key, image] {
                    {
                        std::lock_guard lock(shared->mutex);
                        shared->posted.remove(key);
                    }
                    if (shared == m_shared)
                        emit pageRendered(page, scale, image);
                },
                Qt::QueuedConnection);
        }
    });
}

void PageRenderer::setWanted(const std::vector<RenderRequest>& requests)
{
    if (m_shared->threads.empty())
        return;
    {
        std::lock_guard lock(m_shared->mutex);
        QSet<PageImageKey> wanted;
        m_shared->queue.clear();
        for (const RenderRequest& r : requests) {
            const PageImageKey key { r.pageIndex, PageImageKey::keyForScale(r.scale) };
            if (wanted.contains(key))
                continue;
            wanted.insert(key);
            if (m_shared->posted.contains(key))
                continue;
            bool started = false;
            for (const Job& j : m_shared->running)
                started = started || (j.key == key && !j.abort->load());
            if (!started)
                m_shared->queue.push_back(Job { key, r.scale, std::make_shared<std::atomic<bool>>(false) });
        }
        for (Job& j : m_shared->running)
            if (!wanted.contains(j.key))
                j.abort->store(true);
    }
    m_shared->wake.notify_all();
}

} // namespace tolvo::pageview
