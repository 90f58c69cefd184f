// SPDX-License-Identifier: GPL-3.0-or-later
// The page view's painting and its traffic with the rendering workers.
#include "pageview/PageView.h"
#include "render/DisplaySpace.h"
#include "render/PageAhead.h"
#include "render/PageRenderer.h"
#include "settings/HandOver.h"
#include "settings/StartupTrace.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPen>

#include <cmath>

namespace tolvo::pageview {

namespace {

// Pages drawn ahead of the visible ones, after and before them.
constexpr int kPagesAhead = 4;
constexpr int kPagesBehind = 2;

const QColor kPageColour(Qt::white);
const QColor kNightPageColour(Qt::black);

} // namespace

double PageView::renderScaleFor(int pageIndex) const
{
    return drawingScale(displaySizeOf(m_geometry[pageIndex]), pixelsPerPoint(), viewport()->devicePixelRatioF());
}

PageImageKey PageView::imageKeyFor(int pageIndex) const
{
    return PageImageKey { pageIndex, PageImageKey::keyForScale(renderScaleFor(pageIndex)) };
}

void PageView::setCacheLimit(qint64 bytes)
{
    m_cache.setMaxBytes(std::max<qint64>(0, bytes));
}

bool PageView::visiblePagesReady() const
{
    for (int page : visiblePages()) {
        const PageImageKey key = imageKeyFor(page);
        if (!m_cache.contains(key) && !m_failed.contains(key))
            return false;
    }
    return true;
}

PageStyle PageView::pageStyle() const
{
    if (!m_night)
        return PageStyle::Day;
    return m_nightKeepsImages ? PageStyle::NightKeepingImages : PageStyle::Night;
}

void PageView::setNightMode(bool on)
{
    if (m_night == on)
        return;
    const PageStyle before = pageStyle();
    m_night = on;
    if (pageStyle() != before)
        pageStyleChanged();
}

void PageView::setNightKeepsImages(bool keep)
{
    if (m_nightKeepsImages == keep)
        return;
    const PageStyle before = pageStyle();
    m_nightKeepsImages = keep;
    if (pageStyle() != before)
        pageStyleChanged();
}

void PageView::pageStyleChanged()
{
    // The cached images are drawn the other way: draw the pages afresh. Those still being
    // drawn the other way are dropped when they arrive (pageRendered).
    m_cache.clear();
    m_failed.clear();
    m_staleImages.clear();
    scheduleRendering();
    viewport()->update();
}

void PageView::scheduleRendering()
{
    if (m_document && !m_renderTimer.isActive())
        m_renderTimer.start();
}

void PageView::requestRendering()
{
    if (!m_document || m_geometry.isEmpty())
        return;
    const QVector<int> visible = visiblePages();
    QSet<PageImageKey> pinned;
    for (int page : visible)
        pinned.insert(imageKeyFor(page));
    m_cache.setPinned(pinned);

    const int coming = pageComingAhead();
    std::vector<RenderRequest> wanted;
    QSet<int> listed { coming };
    qint64 budget = m_cache.maxBytes() / 2; // what the pages ahead and behind may take
    auto want = [&](int page, bool ahead) {
        if (page < 0 || page >= m_geometry.size() || listed.contains(page))
            return;
        listed.insert(page);
        const PageImageKey key = imageKeyFor(page);
        if (ahead) {
            const QSizeF size = displaySizeOf(m_geometry[page]) * key.scale();
            budget -= qint64(size.width() * size.height() * 4);
            if (budget < 0)
                return;
        }
        // A page wanted and drawn already is marked as used, so that the pages out of this list go
        // first when room is made for the ones being drawn.
        if (m_cache.contains(key))
            m_cache.find(key);
        else if (!m_failed.contains(key))
            wanted.push_back(RenderRequest { page, renderScaleFor(page), pageStyle() });
    };
    // The current page first, then the other visible ones, then the neighbours.
    if (visible.contains(m_currentPage))
        want(m_currentPage, false);
    for (int page : visible)
        want(page, false);
    if (!visible.isEmpty() && m_firstPagesShown) {
        for (int i = 1; i <= kPagesAhead; ++i)
            want(visible.back() + i, true);
        for (int i = 1; i <= kPagesBehind; ++i)
            want(visible.front() - i, true);
    }
    // The images being drawn count against the cache's bound before they arrive: a worker holds
    // its image meanwhile, and at great zoom two of them are as much as half the bound.
    qint64 drawing = 0;
    for (size_t i = 0; i < wanted.size() && i < size_t(m_renderer->workerCount()); ++i) {
        const QSizeF size = displaySizeOf(m_geometry[wanted[i].pageIndex]) * wanted[i].scale;
        drawing += qint64(std::ceil(size.width())) * qint64(std::ceil(size.height())) * 4;
    }
    m_cache.setReservedBytes(drawing);
    m_renderer->setWanted(wanted);
}

void PageView::setPageAhead(std::shared_ptr<PageAhead> ahead)
{
    dropPageAhead();
    m_ahead = std::move(ahead);
}

void PageView::dropPageAhead()
{
    if (m_ahead)
        m_ahead->drop();
    m_ahead.reset();
}

int PageView::pageComingAhead(bool painting)
{
    // Until the view is on screen its size is not the one the page was planned for.
    if (!m_ahead || !isVisible())
        return -1;
    const std::optional<PageAhead::Plan> plan = m_ahead->plan();
    const PageAhead::State state = m_ahead->state();
    const bool same = plan && visiblePages().contains(plan->pageIndex)
        && imageKeyFor(plan->pageIndex) == PageImageKey { plan->pageIndex, PageImageKey::keyForScale(plan->scale) }
        && plan->style == pageStyle();
    // A page still being planned when the view shows is not waited for: the workers draw it.
    if (!same || (state != PageAhead::State::Drawing && state != PageAhead::State::Drawn)) {
        dropPageAhead();
        return -1;
    }
    if (state == PageAhead::State::Drawn) {
        const QImage image = m_ahead->take();
        m_ahead.reset();
        startupStep("page image arrived");
        m_cache.insert(imageKeyFor(plan->pageIndex), image);
        if (!painting)
            viewport()->update();
        return -1;
    }
    // Asked again when it is drawn, which takes it (or drops it, should the view have changed).
    m_ahead->whenDone([this] { handOver(this, [this] { requestRendering(); }); });
    return plan->pageIndex;
}

void PageView::pageRendered(int pageIndex, double scale, PageStyle style, const QImage& image)
{
    if (pageIndex < 0 || pageIndex >= m_geometry.size() || style != pageStyle())
        return;
    startupStep("page image arrived");

    const PageImageKey key { pageIndex, PageImageKey::keyForScale(scale) };
    m_staleImages.remove(pageIndex);
    if (image.isNull())
        m_failed.insert(key);
    else
        m_cache.insert(key, image);
    // What is still being drawn, and so reserved in the cache, is less now.
    scheduleRendering();
    const QRectF rect = pageRectInView(pageIndex);
    if (!rect.isNull() && rect.intersects(viewport()->rect()))
        viewport()->update(rect.toAlignedRect().adjusted(-1, -1, 1, 1));
}

void PageView::paintEvent(QPaintEvent* event)
{
    // A page drawn ahead that is ready now is shown in this paint, not in one asked for later.
    if (m_ahead && m_ahead->state() == PageAhead::State::Drawn)
        pageComingAhead(true);
    startupStep("painting the page view");
    QPainter painter(viewport());
    painter.fillRect(event->rect(), palette().color(QPalette::Dark));
    bool ready = true;
    for (int page : visiblePages()) {
        const QRectF rect = pageRectInView(page);
        if (!rect.intersects(event->rect()))
            continue;
        painter.setPen(QColor(0, 0, 0, 70));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect.adjusted(-0.5, -0.5, 0.5, 0.5));
        const QSizeF size = displaySizeOf(m_geometry[page]);
        if (size.width() > 0 && size.height() > 0) {
            painter.save();
            painter.translate(rect.topLeft());
            painter.scale(rect.width() / size.width(), rect.height() / size.height());
            drawPage(painter, page);
            painter.restore();
        }
        paintMarks(painter, page);
        paintMatches(painter, page);
        paintSelection(painter, page);
        const PageImageKey key = imageKeyFor(page);
        ready = ready && (m_cache.contains(key) || m_failed.contains(key));
    }
    painter.end();
    if (!ready) {
        scheduleRendering();
    } else if (m_document) {
        // The links of the pages in view are read once the pages themselves are drawn.
        m_links->want(visiblePages());
        emit visiblePagesDrawn();
    }
}

void PageView::drawPage(QPainter& painter, int pageIndex)
{
    drawPageImage(painter, pageIndex);
}

void PageView::drawPageImage(QPainter& painter, int pageIndex)
{
    const QSizeF size = displaySizeOf(m_geometry[pageIndex]);
    const QRectF target = painter.transform().mapRect(QRectF(QPointF(0, 0), size));
    const double dpr = viewport()->devicePixelRatioF();
    auto snap = [dpr](double v) { return std::round(v * dpr) / dpr; };
    // On whole device pixels, so that an image drawn at this scale lands pixel for pixel.
    const QRectF aligned(
        QPointF(snap(target.left()), snap(target.top())), QPointF(snap(target.right()), snap(target.bottom())));
    painter.save();
    painter.resetTransform();
    const PageImageKey key = imageKeyFor(pageIndex);
    const QImage image = m_cache.find(key);
    if (!image.isNull()) {
        painter.drawImage(aligned, image);
    } else {
        painter.fillRect(aligned, m_night ? kNightPageColour : kPageColour);
        QImage other = m_cache.findAnyScale(pageIndex, key.scaleKey);
        if (other.isNull())
            other = m_staleImages.value(pageIndex);
        if (!other.isNull()) {
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawImage(aligned, other);
        } else if (m_failed.contains(key)) {
            painter.setPen(QColor(120, 120, 120));
            painter.drawText(aligned, Qt::AlignCenter | Qt::TextWordWrap, tr("This page could not be drawn."));
        }
    }
    painter.restore();
}

void PageView::setMatchSource(MatchSource source)
{
    m_matchSource = std::move(source);
    viewport()->update();
}

void PageView::paintMatches(QPainter& painter, int pageIndex)
{
    if (!m_matchSource)
        return;
    const QVector<QRectF> matches = m_matchSource(pageIndex);
    if (matches.isEmpty())
        return;
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_Multiply);
    const QColor colour(255, 226, 100);
    for (const QRectF& match : matches)
        painter.fillRect(convertRectFromPage(match, pageIndex), colour);
    painter.restore();
}

void PageView::setMarkSource(MarkSource source)
{
    m_markSource = std::move(source);
    viewport()->update();
}

void PageView::setSelectedMark(const std::optional<pdf::Mark>& mark)
{
    if (m_selectedMark == mark)
        return;
    m_selectedMark = mark;
    viewport()->update();
}

void PageView::marksChanged()
{
    viewport()->update();
}

void PageView::reloadPages()
{
    if (!m_document)
        return;
    // The images of the pages in view stand in until the new ones come.
    m_staleImages.clear();
    for (int page : visiblePages()) {
        const QImage image = m_cache.find(imageKeyFor(page));
        if (!image.isNull())
            m_staleImages.insert(page, image);
    }
    m_renderer->setDocument(nullptr);
    dropPageAhead();
    m_cache.clear();
    m_failed.clear();
    m_renderer->setDocument(m_document, 2);
    m_renderer->startAllWorkers();
    viewport()->update();
    m_renderTimer.stop();
    requestRendering();
}

void PageView::paintMarks(QPainter& painter, int pageIndex)
{
    if (!m_markSource && !m_selectedMark)
        return;
    const std::vector<pdf::Mark> marks = m_markSource ? m_markSource(pageIndex) : std::vector<pdf::Mark> {};
    painter.save();
    for (const pdf::Mark& mark : marks) {
        const QColor colour = m_night
            ? QColor::fromRgb(255 - mark.colour.red(), 255 - mark.colour.green(), 255 - mark.colour.blue())
            : mark.colour;
        for (const QRectF& pageRect : mark.rects) {
            const QRectF r = convertRectFromPage(pageRect, pageIndex);
            const double width = std::max(1.0, r.height() / 14);
            switch (mark.kind) {
            case pdf::MarkKind::Highlight:
                painter.setCompositionMode(
                    m_night ? QPainter::CompositionMode_Screen : QPainter::CompositionMode_Multiply);
                painter.fillRect(r, colour);
                painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
                break;
            case pdf::MarkKind::Underline:
                painter.fillRect(QRectF(r.left(), r.bottom() - width, r.width(), width), colour);
                break;
            case pdf::MarkKind::StrikeOut:
                painter.fillRect(QRectF(r.left(), r.center().y() - width / 2, r.width(), width), colour);
                break;
            case pdf::MarkKind::Note:
                painter.setPen(QPen(colour.darker(160), 1));
                painter.setBrush(colour);
                painter.drawRoundedRect(r.adjusted(1, 1, -1, -1), 2, 2);
                painter.drawLine(QLineF(r.left() + r.width() * 0.25, r.top() + r.height() * 0.35,
                    r.right() - r.width() * 0.25, r.top() + r.height() * 0.35));
                painter.drawLine(QLineF(r.left() + r.width() * 0.25, r.top() + r.height() * 0.6,
                    r.right() - r.width() * 0.25, r.top() + r.height() * 0.6));
                break;
            }
        }
    }
    if (m_selectedMark && m_selectedMark->pageIndex == pageIndex) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1.5, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(convertRectFromPage(m_selectedMark->bounds(), pageIndex).adjusted(-2, -2, 2, 2));
    }
    painter.restore();
}

void PageView::paintSelection(QPainter& painter, int pageIndex)
{
    if (m_selection.isEmpty())
        return;
    painter.save();
    // Darkening shows on a light page, lightening on a night page.
    painter.setCompositionMode(m_night ? QPainter::CompositionMode_Screen : QPainter::CompositionMode_Multiply);
    const QColor colour = m_night ? QColor(30, 80, 150) : QColor(158, 203, 255);
    for (const pdf::SelectionLine& line : m_selection.lines)
        if (line.pageIndex == pageIndex)
            painter.fillRect(convertRectFromPage(line.bounds, pageIndex), colour);
    painter.restore();
}

} // namespace tolvo::pageview
