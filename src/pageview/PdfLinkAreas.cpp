// SPDX-License-Identifier: GPL-3.0-or-later
#include "pageview/PdfLinkAreas.h"

#include "settings/HandOver.h"

#include <QMetaObject>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace tolvo::pageview {

struct PdfLinkAreas::Shared {
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<int> queue;
    bool stopped = false;
    std::thread thread;
};

PdfLinkAreas::PdfLinkAreas(QObject* parent)
    : QObject(parent)
{
}

PdfLinkAreas::~PdfLinkAreas()
{
    stop();
}

void PdfLinkAreas::stop()
{
    if (!m_shared)
        return;
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->stopped = true;
    }
    m_shared->wake.notify_all();
    if (m_shared->thread.joinable())
        m_shared->thread.join();
    m_shared.reset();
}

void PdfLinkAreas::setDocument(const pdf::Document* document)
{
    stop();
    m_document = document;
    m_pages.clear();
    m_readOrder.clear();
    m_wanted.clear();
}

void PdfLinkAreas::start()
{
    auto shared = std::make_shared<Shared>();
    m_shared = shared;
    // The copy is opened on the worker; stop() joins it before the document may go.
    shared->thread = std::thread([this, shared, document = m_document] {
        const std::unique_ptr<pdf::Document> copy = document->reopen();
        if (!copy)
            return; // the file is gone: no links, as for a page without any
        for (;;) {
            int page = -1;
            {
                std::unique_lock lock(shared->mutex);
                shared->wake.wait(lock, [&] { return shared->stopped || !shared->queue.empty(); });
                if (shared->stopped)
                    return;
                page = shared->queue.front();
                shared->queue.pop_front();
            }
            std::vector<LinkArea> links;
            for (pdf::PageLink& link : copy->links(page)) {
                LinkArea area { std::move(link), QString() };
                if (area.link.kind == pdf::PageLink::Kind::Destination)
                    area.targetLabel = copy->pageLabel(area.link.destination.pageIndex);
                links.push_back(std::move(area));
            }
            handOver(this,
                [this, shared, page, links = std::move(links)]() mutable { deliver(shared, page, std::move(links)); });
        }
    });
}

void PdfLinkAreas::want(const QVector<int>& pages)
{
    if (!m_document)
        return;
    m_wanted = QSet<int>(pages.begin(), pages.end());
    std::deque<int> wanted;
    for (int page : pages)
        if (page >= 0 && page < m_document->pageCount() && !m_pages.contains(page))
            wanted.push_back(page);
    if (wanted.empty())
        return;
    if (!m_shared)
        start();
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->queue = std::move(wanted);
    }
    m_shared->wake.notify_all();
}

void PdfLinkAreas::deliver(const std::shared_ptr<Shared>& shared, int pageIndex, std::vector<LinkArea> links)
{
    // A delivery from the reader of a document since replaced is dropped.
    if (shared != m_shared || m_pages.contains(pageIndex))
        return;
    m_pages.insert(pageIndex, std::move(links));
    m_readOrder.push_back(pageIndex);
    // The pages read longest ago go first, unless they are still in view: a view showing more
    // pages than are kept keeps them all rather than read them again and again.
    for (auto it = m_readOrder.begin(); m_pages.size() > kPagesKept && it != m_readOrder.end();) {
        if (m_wanted.contains(*it)) {
            ++it;
        } else {
            m_pages.remove(*it);
            it = m_readOrder.erase(it);
        }
    }
    emit pageRead(pageIndex);
}

const std::vector<LinkArea>& PdfLinkAreas::linksOn(int pageIndex) const
{
    static const std::vector<LinkArea> none;
    const auto it = m_pages.constFind(pageIndex);
    return it == m_pages.constEnd() ? none : *it;
}

const LinkArea* PdfLinkAreas::linkAt(int pageIndex, const QPointF& pagePoint) const
{
    const std::vector<LinkArea>& links = linksOn(pageIndex);
    for (auto it = links.rbegin(); it != links.rend(); ++it)
        if (it->link.area.contains(pagePoint))
            return &*it;
    return nullptr;
}

} // namespace tolvo::pageview
