// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/PageGeometryScanner.h"

#include "settings/HandOver.h"

#include <atomic>
#include <thread>

namespace tolvo::pageview {

namespace {
// Pages per delivery: few enough deliveries, and the first ones soon.
constexpr int kChunk = 128;
} // namespace

struct PageGeometryScanner::Scan {
    std::atomic<bool> stopped { false };
    std::thread thread;
};

PageGeometryScanner::PageGeometryScanner(QObject* parent)
    : QObject(parent)
{
}

PageGeometryScanner::~PageGeometryScanner()
{
    stop();
}

void PageGeometryScanner::stop()
{
    if (!m_scan)
        return;
    m_scan->stopped = true;
    if (m_scan->thread.joinable())
        m_scan->thread.join();
    m_scan.reset();
}

void PageGeometryScanner::start(const pdf::Document* document, int first)
{
    stop();
    if (!document || first >= document->pageCount())
        return;
    auto scan = std::make_shared<Scan>();
    m_scan = scan;
    // The copy is opened on the worker, which stop() joins before the document may go.
    scan->thread = std::thread([this, scan, document, first] {
        const std::unique_ptr<pdf::Document> copy = document->reopen();
        if (!copy)
            return;
        const int count = copy->pageCount();
        for (int from = first; from < count && !scan->stopped; from += kChunk) {
            QVector<pdf::PageGeometry> pages;
            for (int i = from; i < std::min(count, from + kChunk) && !scan->stopped; ++i)
                pages.append(copy->pageGeometry(i));
            // Queued to the owner; a delivery of a scan that was stopped meanwhile is dropped there.
            handOver(this, [this, scan, from, pages] {
                if (scan == m_scan && !scan->stopped)
                    emit geometryRead(from, pages);
            });
        }
    });
}

} // namespace tolvo::pageview
