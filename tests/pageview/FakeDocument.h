// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A Document without a PDF behind it, for page view tests: pages of chosen
// geometry, a text layer of made-up words in lines, and drawings that record
// the thread they ran on.

#include "pdf/PdfDocument.h"

#include <QColor>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace tolvo::test {

/// What the fake's drawings did, shared by a document and its copies.
struct RenderLog {
    std::mutex mutex;
    struct Entry {
        int pageIndex;
        double scale;
        QThread* thread;
        bool aborted;
    };
    std::vector<Entry> entries;
    std::atomic<int> reopened { 0 };
    /// Drawings begun and not yet ended, so a test can wait for the workers to be idle.
    std::atomic<int> drawing { 0 };

    void clear()
    {
        std::lock_guard lock(mutex);
        entries.clear();
    }
    std::vector<Entry> snapshot()
    {
        std::lock_guard lock(mutex);
        return entries;
    }
};

class FakeDocument : public pdf::Document {
public:
    /// Pages of the given geometries. Each page has `lines` lines of three words:
    /// "p<page>l<line>a", "...b", "...c", 20 points apart from 72 points below the top.
    explicit FakeDocument(std::vector<pdf::PageGeometry> pages, std::shared_ptr<RenderLog> log = nullptr, int lines = 3)
        : m_pages(std::move(pages))
        , m_log(log ? std::move(log) : std::make_shared<RenderLog>())
        , m_lines(lines)
    {
    }

    static pdf::PageGeometry page(double w, double h, int rotation = 0, QPointF origin = {})
    {
        pdf::PageGeometry g;
        g.mediaBox = QRectF(origin, QSizeF(w, h));
        g.cropBox = g.mediaBox;
        g.rotation = rotation;
        return g;
    }
    static std::vector<pdf::PageGeometry> letterPages(int count)
    {
        return std::vector<pdf::PageGeometry>(size_t(count), page(612, 792));
    }

    std::shared_ptr<RenderLog> log() const { return m_log; }
    /// Each drawing takes this long, polling its abort callback every millisecond.
    void setRenderDelay(std::chrono::milliseconds delay) { m_delay = delay; }
    /// Copies made by reopen() fail to open, as when the file has gone.
    void setReopenFails(bool fails) { m_reopenFails = fails; }
    /// The file is no longer the one that was read (see fileUnchanged()).
    void setFileChanged(bool changed) { m_fileChanged = changed; }
    bool fileUnchanged() const override { return !m_fileChanged; }
    /// Drawings of this page give a null image.
    void setFailingPage(int pageIndex) { m_failingPage = pageIndex; }
    /// Every page has a raster image over this rectangle (page space).
    void setImageArea(const QRectF& area) { m_imageArea = area; }
    /// Every page has this many annotations, each a link to the page after it (the last page's
    /// to the first), one above the other.
    void setLinksPerPage(int links) { m_linksPerPage = links; }

    QString filePath() const override { return QStringLiteral("/fake.pdf"); }
    std::unique_ptr<Document> reopen() const override
    {
        {
            std::lock_guard lock(m_log->mutex);
            ++m_log->reopened;
        }
        if (m_reopenFails)
            return nullptr;
        auto copy = std::make_unique<FakeDocument>(m_pages, m_log, m_lines);
        copy->m_delay = m_delay;
        copy->m_failingPage = m_failingPage;
        copy->m_imageArea = m_imageArea;
        copy->m_linksPerPage = m_linksPerPage;
        return copy;
    }
    int pageCount() const override { return int(m_pages.size()); }
    QString pageLabel(int pageIndex) const override { return QString::number(pageIndex + 1); }
    QStringList pageLabels() const override
    {
        QStringList labels;
        for (int i = 0; i < pageCount(); ++i)
            labels << pageLabel(i);
        return labels;
    }
    pdf::PageGeometry pageGeometry(int pageIndex) const override { return m_pages.at(size_t(pageIndex)); }
    std::vector<pdf::OutlineEntry> outline() const override { return {}; }
    std::vector<pdf::Annotation> annotations(int) const override { return {}; }

    std::vector<pdf::TextWord> words(int pageIndex) const override
    {
        std::vector<pdf::TextWord> result;
        const QRectF crop = m_pages.at(size_t(pageIndex)).cropBox;
        for (int l = 0; l < m_lines; ++l) {
            for (int w = 0; w < 3; ++w) {
                pdf::TextWord word;
                word.text = QStringLiteral("p%1l%2%3").arg(pageIndex).arg(l).arg(QChar(u'a' + w));
                const double top = crop.bottom() - 72 - 20 * l; // y up: bottom() is the top edge
                word.bounds = QRectF(crop.left() + 72 + 60 * w, top - 12, 50, 12);
                word.spaceAfter = w < 2;
                word.lineEndsAfter = w == 2;
                word.index = int(result.size());
                word.line = l;
                result.push_back(word);
            }
        }
        return result;
    }
    pdf::TextSelection selectionForRect(int pageIndex, const QRectF& rect) const override
    {
        std::vector<pdf::TextWord> chosen;
        for (const pdf::TextWord& w : words(pageIndex))
            if (w.bounds.intersects(rect))
                chosen.push_back(w);
        return pdf::TextSelection::fromWords(pageIndex, chosen);
    }
    pdf::TextSelection selectionFromPoint(
        int fromPage, const QPointF& from, int toPage, const QPointF& to) const override
    {
        if (fromPage > toPage) {
            std::swap(fromPage, toPage);
            return selectionFromPoint(fromPage, to, toPage, from);
        }
        pdf::TextSelection selection;
        for (int page = fromPage; page <= toPage; ++page) {
            std::vector<pdf::TextWord> all = words(page);
            int first = page == fromPage ? nearest(all, from) : 0;
            int last = page == toPage ? nearest(all, to) : int(all.size()) - 1;
            if (first > last)
                std::swap(first, last);
            selection.add(pdf::TextSelection::fromWords(
                page, std::vector<pdf::TextWord>(all.begin() + first, all.begin() + last + 1)));
        }
        return selection;
    }
    QVector<QRectF> search(int, const QString&) const override { return {}; }
    QVector<QRectF> imageAreas(int) const override
    {
        return m_imageArea.isEmpty() ? QVector<QRectF>() : QVector<QRectF> { m_imageArea };
    }

    std::vector<pdf::PageLink> links(int pageIndex) const override
    {
        std::vector<pdf::PageLink> result;
        for (int i = 0; i < m_linksPerPage; ++i) {
            pdf::PageLink link;
            link.area = QRectF(72, 72 + 12 * i, 100, 10);
            link.destination.pageIndex = (pageIndex + 1) % pageCount();
            result.push_back(link);
        }
        return result;
    }
    qint64 annotationsOfDrawnPages() const override
    {
        std::lock_guard lock(m_log->mutex);
        return qint64(m_drawn.size()) * m_linksPerPage;
    }

    QImage render(int pageIndex, double scale, const std::function<bool()>& shouldAbort) const override
    {
        ++m_log->drawing;
        bool aborted = false;
        for (auto waited = std::chrono::milliseconds(0); waited < m_delay; waited += std::chrono::milliseconds(1)) {
            if (shouldAbort && shouldAbort()) {
                aborted = true;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        {
            std::lock_guard lock(m_log->mutex);
            m_log->entries.push_back({ pageIndex, scale, QThread::currentThread(), aborted });
            m_drawn.insert(pageIndex);
        }
        --m_log->drawing;
        if (aborted || pageIndex == m_failingPage)
            return QImage();
        const QSizeF size = m_pages.at(size_t(pageIndex)).displaySize() * scale;
        QImage image(std::max(1, qRound(size.width())), std::max(1, qRound(size.height())), QImage::Format_RGB32);
        image.fill(QColor(230, 230, 250));
        return image;
    }

private:
    static int nearest(const std::vector<pdf::TextWord>& all, const QPointF& point)
    {
        int best = 0;
        double bestDistance = 1e300;
        for (size_t i = 0; i < all.size(); ++i) {
            const QPointF d = all[i].bounds.center() - point;
            const double distance = d.x() * d.x() + d.y() * d.y() * 16; // lines first
            if (distance < bestDistance) {
                bestDistance = distance;
                best = int(i);
            }
        }
        return best;
    }

    std::vector<pdf::PageGeometry> m_pages;
    std::shared_ptr<RenderLog> m_log;
    int m_lines;
    std::chrono::milliseconds m_delay { 0 };
    // Set by a test while the workers run.
    std::atomic<bool> m_reopenFails { false };
    std::atomic<bool> m_fileChanged { false };
    int m_failingPage = -1;
    QRectF m_imageArea;
    int m_linksPerPage = 0;
    mutable std::set<int> m_drawn; // guarded by the log's mutex
};

} // namespace tolvo::test
