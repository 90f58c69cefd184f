// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/PageRenderer.h"

#include "pdf/WorkAbort.h"
#include "render/ImageCache.h"
#include "render/PageDrawing.h"
#include "render/PageImageMemory.h"
#include "settings/HandOver.h"
#include "settings/StartupTrace.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

namespace tolvo::pageview {

namespace {

// Poppler keeps what it reads of every page a document has drawn (its dictionaries, resources and
// annotations) as long as the document is open: a worker takes a fresh copy after this many pages,
// when it has nothing else to do, so that a long PDF read to its end holds no more than a short one.
constexpr int kPagesPerCopy = 100;
// A page's annotations weigh as much as the page itself from this many on: the index pages of a
// long manual, two hundred links each, would otherwise hold some 25 MB in a worker's copy.
constexpr int kAnnotationsPerPage = 20;

// How many pages' worth a copy holds, after drawing pages, drawn pages counting once each.
qint64 weightHeld(const pdf::Document& copy, int drawn)
{
    return drawn + copy.annotationsOfDrawnPages() / kAnnotationsPerPage;
}

struct Job {
    PageImageKey key;
    double scale = 1;
    PageStyle style = PageStyle::Day;
    std::shared_ptr<std::atomic<bool>> abort;
    bool draws(const PageImageKey& k, PageStyle s) const { return key == k && style == s; }
};

// What the owner has on its way: a page at a scale in a style.
using Posted = std::pair<PageImageKey, int>;

Posted postedOf(const PageImageKey& key, PageStyle style)
{
    return { key, int(style) };
}

// Where each page's images are, read once per document: the read interprets the whole page again.
class ImageAreaCache {
public:
    // The page's image areas (page space), read through document unless known; nothing when the
    // read was aborted.
    std::optional<QVector<QRectF>> areas(const pdf::Document& document, const Job& job)
    {
        const int page = job.key.pageIndex;
        {
            std::lock_guard lock(m_mutex);
            const auto known = m_areas.constFind(page);
            if (known != m_areas.cend())
                return *known;
        }
        const pdf::AbortScope scope([abort = job.abort] { return abort->load(); });
        QVector<QRectF> read = document.imageAreas(page);
        // An ended read found nothing, which is not what the page has.
        if (job.abort->load())
            return std::nullopt;
        std::lock_guard lock(m_mutex);
        m_areas.insert(page, read);
        return read;
    }

private:
    std::mutex m_mutex;
    QHash<int, QVector<QRectF>> m_areas;
};

} // namespace

// The state that the owner and its workers share; guarded by mutex.
struct PageRenderer::Shared {
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<Job> queue; // wanted and not started
    std::vector<Job> running; // started, one per busy worker
    QSet<Posted> posted; // drawn, on their way to the owner
    ImageAreaCache imageAreas; // guarded by its own mutex
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
    // The worker opens its copy itself, when it is first given a page to draw: the window's
    // thread goes on meanwhile, and a worker with nothing to draw yet (a first page drawn ahead,
    // a one-page PDF) reads nothing. The owner outlives the worker (stopWorkers() joins it
    // before the document may go).
    shared->threads.emplace_back([shared, document, this, given = std::move(given)]() mutable {
        std::unique_ptr<pdf::Document> copy;
        bool opened = false;
        int drawnWithCopy = 0;
        for (;;) {
            Job job;
            {
                std::unique_lock lock(shared->mutex);
                const qint64 held = copy ? weightHeld(*copy, drawnWithCopy) : 0;
                if (held >= kPagesPerCopy && (shared->queue.empty() || held >= 2 * kPagesPerCopy)) {
                    lock.unlock();
                    // Only a copy of the very file the window shows replaces the old one; a file
                    // rewritten, moved or gone keeps being drawn from the copy at hand.
                    if (document->fileUnchanged()) {
                        std::unique_ptr<pdf::Document> fresh = document->reopen();
                        if (fresh && document->fileUnchanged())
                            copy = std::move(fresh);
                    }
                    drawnWithCopy = 0;
                    lock.lock();
                }
                shared->wake.wait(lock, [&] { return shared->stopping || !shared->queue.empty(); });
                if (shared->stopping)
                    return;
                job = shared->queue.front();
                shared->queue.pop_front();
                shared->running.push_back(job);
            }
            if (!opened) {
                opened = true;
                copy = given ? given() : nullptr;
                if (!copy)
                    copy = document->reopen();
                startupStep("renderer copy open");
            }
            QImage image;
            startupStep("drawing a page");

            ++drawnWithCopy;
            if (copy) {
                // Kept in the page cache for a while and freed on the window's thread: see
                // inOwnMapping(). The page drawn ahead at the start is one image, not worth the
                // copy on the way to the first page shown.
                image = inOwnMapping(drawPage(
                    *copy, job.key.pageIndex, job.scale, job.style, [abort = job.abort] { return abort->load(); },
                    [&](int) { return shared->imageAreas.areas(*copy, job); }));
            }
            startupStep("page drawn");
            const bool aborted = job.abort->load();
            {
                std::lock_guard lock(shared->mutex);
                std::erase_if(shared->running, [&](const Job& j) { return j.abort == job.abort; });
                if (aborted) {
                    shared->aborted.fetch_add(1);
                    continue;
                }
                shared->posted.insert(postedOf(job.key, job.style));
            }
            const int page = job.key.pageIndex;
            const double scale = job.scale;
            const PageStyle style = job.style;
            const Posted posted = postedOf(job.key, job.style);
            // Queued to the owner's thread; a result for an earlier document is dropped there.
            handOver(this, [this, shared, page, scale, style, posted, image] {
                {
                    std::lock_guard lock(shared->mutex);
                    shared->posted.remove(posted);
                }
                if (shared == m_shared)
                    emit pageRendered(page, scale, style, image);
            });
        }
    });
}

void PageRenderer::setWanted(const std::vector<RenderRequest>& requests)
{
    if (m_shared->threads.empty())
        return;
    {
        std::lock_guard lock(m_shared->mutex);
        QSet<Posted> wanted;
        m_shared->queue.clear();
        for (const RenderRequest& r : requests) {
            const PageImageKey key { r.pageIndex, PageImageKey::keyForScale(r.scale) };
            if (wanted.contains(postedOf(key, r.style)))
                continue;
            wanted.insert(postedOf(key, r.style));
            if (m_shared->posted.contains(postedOf(key, r.style)))
                continue;
            bool started = false;
            for (const Job& j : m_shared->running)
                started = started || (j.draws(key, r.style) && !j.abort->load());
            if (!started)
                m_shared->queue.push_back(Job { key, r.scale, r.style, std::make_shared<std::atomic<bool>>(false) });
        }
        // A page drawn in a style no longer wanted is aborted like one no longer in view.
        for (Job& j : m_shared->running)
            if (!wanted.contains(postedOf(j.key, j.style)))
                j.abort->store(true);
    }
    m_shared->wake.notify_all();
}

} // namespace tolvo::pageview
