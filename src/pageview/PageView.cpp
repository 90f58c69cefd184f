// SPDX-License-Identifier: GPL-3.0-or-later
#include "pageview/PageView.h"

#include "render/DisplaySpace.h"
#include "render/PageGeometryScanner.h"
#include "render/PageImageMemory.h"
#include "render/PageRenderer.h"

#include <QCursor>
#include <QResizeEvent>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace tolvo::pageview {

namespace {

constexpr int kWarmUpMs = 300;

bool sameGeometry(const pdf::PageGeometry& a, const pdf::PageGeometry& b)
{
    return a.cropBox == b.cropBox && a.mediaBox == b.mediaBox && a.rotation == b.rotation;
}

// The steps of zoom in and zoom out.
constexpr double kZoomSteps[] = { 0.1, 0.125, 0.25, 0.333, 0.5, 0.667, 0.75, 0.9, 1.0, 1.1, 1.25, 1.5, 1.75, 2.0, 2.5,
    3.0, 4.0, 5.0, 6.0, 8.0, 10.0 };

qint64 cacheBytesFromEnvironment()
{
    bool ok = false;
    const qint64 mb = qEnvironmentVariable("TOLVO_PAGE_CACHE_MB").toLongLong(&ok);
    return ok && mb > 0 ? mb * 1024 * 1024 : PageView::kDefaultCacheBytes;
}

} // namespace

PageView::PageView(QWidget* parent)
    : QAbstractScrollArea(parent)
    , m_scanner(new PageGeometryScanner(this))
    , m_navigator(new PageNavigator(this))
    , m_renderer(new PageRenderer(this))
    , m_cache(cacheBytesFromEnvironment())
    , m_links(new PdfLinkAreas(this))
{
    returnLargeBlocksToSystem();
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::NoFrame);
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    // Tracked for the hand over links and their tool tips.
    viewport()->setMouseTracking(true);
    verticalScrollBar()->setSingleStep(20);
    horizontalScrollBar()->setSingleStep(20);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_renderTimer.setSingleShot(true);
    m_renderTimer.setInterval(0);
    connect(&m_renderTimer, &QTimer::timeout, this, &PageView::requestRendering);
    m_autoScrollTimer.setInterval(30);
    connect(&m_autoScrollTimer, &QTimer::timeout, this, &PageView::autoScroll);
    connect(m_renderer, &PageRenderer::pageRendered, this, &PageView::pageRendered);
    connect(m_scanner, &PageGeometryScanner::geometryRead, this, &PageView::geometryRead);
    connect(m_links, &PdfLinkAreas::pageRead, this, [this] {
        if (!m_pressed)
            hoverAt(viewport()->mapFromGlobal(QCursor::pos()));
    });
}

PageView::~PageView()
{
    dropPageAhead();
}

void PageView::setDocument(const pdf::Document* document, pdf::DocumentCopySource spareCopy)
{
    m_renderer->setDocument(nullptr);
    dropPageAhead();
    m_scanner->stop();
    m_links->setDocument(document);
    m_pressedLink.reset();
    m_document = document;
    m_geometry.clear();
    m_measured.clear();
    m_cache.clear();
    m_failed.clear();
    m_selection = {};
    m_selectionAnchor = {};
    m_navigator->clear();
    m_shownPage = 0;
    m_firstPagesShown = false;
    if (document) {
        const int count = std::max(0, document->pageCount());
        const int first = std::min(count, kPagesMeasuredFirst);
        m_geometry.reserve(count);
        for (int i = 0; i < first; ++i)
            m_geometry.append(document->pageGeometry(i));
        m_measured.fill(true, first);
        m_geometry.resize(count, first > 0 ? m_geometry.back() : pdf::PageGeometry {});
        m_measured.resize(count, false);
        m_renderer->setDocument(document, 2, std::move(spareCopy));
        // The second worker, the measuring of the remaining pages and the drawing of the pages
        // around wait until the first pages are on screen (or a moment has passed), so that they
        // do not hold up drawing and showing them.
        auto warmUp = std::make_shared<std::function<void()>>();
        auto done = std::make_shared<bool>(false);
        *warmUp = [this, document, first, count, done] {
            if (*done || m_document != document)
                return;
            *done = true;
            m_firstPagesShown = true;
            m_renderer->startAllWorkers();
            if (first < count)
                m_scanner->start(document, first);
            scheduleRendering();
        };
        connect(
            this, &PageView::visiblePagesDrawn, m_scanner,
            [warmUp, scanner = m_scanner] { QTimer::singleShot(0, scanner, [warmUp] { (*warmUp)(); }); },
            Qt::SingleShotConnection);
        QTimer::singleShot(kWarmUpMs, m_scanner, [warmUp] { (*warmUp)(); });
    }
    // A new document's first page is news even at the index that was current before.
    m_currentPage = -1;
    rebuildLayout();
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    updateCurrentPage(0);
    emit selectionChanged();
    viewport()->update();
    // The first pages are asked for at once, before anything else waiting in the event loop;
    // a view not on screen yet waits for its size, since a page drawn at a guessed width is
    // drawn twice (showEvent).
    m_renderTimer.stop();
    if (isVisible())
        requestRendering();
    else
        scheduleRendering();
}

void PageView::rebuildLayout()
{
    QVector<QSizeF> sizes;
    sizes.reserve(m_geometry.size());
    for (const pdf::PageGeometry& g : m_geometry)
        sizes.append(displaySizeOf(g));
    const std::optional<Anchor> anchor = anchorAt(QPointF(0, 0));
    m_layout.setPages(sizes, m_mode, m_book);
    layoutKeeping(anchor);
}

void PageView::ensureMeasured(const QVector<int>& pages)
{
    if (!m_document)
        return;
    bool changed = false;
    for (int page : pages) {
        if (page < 0 || page >= m_measured.size() || m_measured[page])
            continue;
        const pdf::PageGeometry g = m_document->pageGeometry(page);
        m_measured[page] = true;
        if (!sameGeometry(g, m_geometry[page])) {
            m_geometry[page] = g;
            changed = true;
        }
    }
    if (changed)
        rebuildLayout();
}

void PageView::geometryRead(int first, const QVector<pdf::PageGeometry>& pages)
{
    bool changed = false;
    for (int i = 0; i < pages.size(); ++i) {
        const int page = first + i;
        if (page >= m_measured.size() || m_measured[page])
            continue;
        m_measured[page] = true;
        if (!sameGeometry(pages[i], m_geometry[page])) {
            m_geometry[page] = pages[i];
            changed = true;
        }
    }
    // Until a page is measured it is laid out like the one before it, as most PDFs are.
    if (const int next = first + int(pages.size()); changed && next < m_geometry.size() && !m_measured[next])
        for (int page = next; page < m_geometry.size() && !m_measured[page]; ++page)
            m_geometry[page] = m_geometry[next - 1];
    if (changed)
        rebuildLayout();
}

pdf::PageGeometry PageView::pageGeometry(int pageIndex) const
{
    if (pageIndex < 0 || pageIndex >= m_geometry.size())
        return pdf::PageGeometry {};
    if (!m_measured[pageIndex] && m_document)
        return m_document->pageGeometry(pageIndex);
    return m_geometry[pageIndex];
}

// --- display ---------------------------------------------------------------

void PageView::setDisplayMode(DisplayMode mode)
{
    if (mode == m_mode)
        return;
    const PageLocation here = viewLocation();
    m_mode = mode;
    setVerticalScrollBarPolicy(isContinuous(mode) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded);
    QVector<QSizeF> sizes;
    for (const pdf::PageGeometry& g : m_geometry)
        sizes.append(displaySizeOf(g));
    m_layout.setPages(sizes, m_mode, m_book);
    const int current = m_currentPage;
    m_shownPage = current >= 0 ? current : 0;
    relayout(std::nullopt);
    // The spot at the top-left corner stays there if it is on the current page; else the current page shows from its
    // top.
    if (here.pageIndex >= 0 && here.pageIndex == current && isContinuous(mode))
        showLocation(here);
    else if (current >= 0)
        showPageTop(current);
    emit displayModeChanged();
}

void PageView::setDisplaysAsBook(bool book)
{
    if (book == m_book)
        return;
    m_book = book;
    QVector<QSizeF> sizes;
    for (const pdf::PageGeometry& g : m_geometry)
        sizes.append(displaySizeOf(g));
    const int current = m_currentPage;
    m_layout.setPages(sizes, m_mode, m_book);
    m_shownPage = current >= 0 ? current : 0;
    relayout(std::nullopt);
    if (current >= 0)
        showPageTop(current);
    emit displayModeChanged();
}

void PageView::setAutoScales(bool autoScales)
{
    setAutoScale(autoScales ? AutoScale::Automatic : AutoScale::Off);
}

void PageView::setAutoScale(AutoScale autoScale)
{
    if (autoScale == m_autoScale)
        return;
    m_autoScale = autoScale;
    const double before = m_scale;
    relayout(QPointF(0, 0)); // tells of a new scale
    // Listeners show the fit as well as the scale, so a fit that lands on the same scale is news too.
    if (m_scale == before && autoScale != AutoScale::Off)
        emit scaleChanged(m_scale);
}

void PageView::setLogicalDpi(double dpi)
{
    m_logicalDpi = std::isfinite(dpi) && dpi > 0 ? dpi : 0;
    relayout(QPointF(0, 0));
}

void PageView::setScaleFactor(double scale)
{
    setScale(scale, QPointF(viewport()->width() / 2.0, viewport()->height() / 2.0));
}

void PageView::setScale(double scale, std::optional<QPointF> anchorViewPoint)
{
    scale = std::clamp(scale, kMinimumScaleFactor, kMaximumScaleFactor);
    const bool wasFitting = m_autoScale != AutoScale::Off;
    m_autoScale = AutoScale::Off;
    if (std::abs(scale - m_scale) < 1e-9) {
        if (wasFitting)
            emit scaleChanged(m_scale);
        return;
    }
    m_scale = scale;
    relayout(anchorViewPoint);
    emit scaleChanged(m_scale);
}

void PageView::zoomIn()
{
    for (double step : kZoomSteps)
        if (step > m_scale * 1.001) {
            setScaleFactor(step);
            return;
        }
}

void PageView::zoomOut()
{
    for (auto it = std::rbegin(kZoomSteps); it != std::rend(kZoomSteps); ++it)
        if (*it < m_scale / 1.001) {
            setScaleFactor(*it);
            return;
        }
}

void PageView::zoomToActualSize()
{
    setScaleFactor(1.0);
}

// --- layout ----------------------------------------------------------------

std::optional<PageView::Anchor> PageView::anchorAt(std::optional<QPointF> viewPoint) const
{
    if (!viewPoint || !m_layout.documentSize().isValid())
        return std::nullopt;
    const int page = pageForPoint(*viewPoint, true);
    if (page < 0)
        return std::nullopt;
    return Anchor { PageLocation { page, convertPointToPage(*viewPoint, page) }, *viewPoint };
}

void PageView::relayout(std::optional<QPointF> anchorViewPoint)
{
    layoutKeeping(anchorAt(anchorViewPoint));
}

void PageView::layoutKeeping(std::optional<Anchor> anchor)
{
    if (m_inLayout) {
        m_layoutAgain = true;
        return;
    }
    m_inLayout = true;
    const double scaleBefore = m_scale;
    // Showing or hiding a scroll bar resizes the viewport, which asks for another pass.
    for (int pass = 0; pass < 3; ++pass) {
        m_layoutAgain = false;
        computeLayout();
        if (!m_layoutAgain)
            break;
    }
    m_inLayout = false;
    if (anchor && m_layout.isShown(anchor->location.pageIndex)) {
        const QPointF now = convertPointFromPage(anchor->location.point, anchor->location.pageIndex);
        scrollBy(now.x() - anchor->viewPoint.x(), now.y() - anchor->viewPoint.y());
    }
    afterScroll();
    viewport()->update();
    // A fitted scale follows the view's size.
    if (m_scale != scaleBefore)
        emit scaleChanged(m_scale);
}

void PageView::computeLayout()
{
    const QSizeF size = viewport()->size();
    m_pointSize = pointSizeAt(m_logicalDpi > 0 ? m_logicalDpi : viewport()->logicalDpiY());
    if (m_autoScale != AutoScale::Off) {
        const PageLayout::Fit fit = m_autoScale == AutoScale::FitWidth ? PageLayout::Fit::Width
            : m_autoScale == AutoScale::FitPage                        ? PageLayout::Fit::Page
                                                                       : PageLayout::Fit::Automatic;
        m_scale = viewZoom(m_layout, ZoomSetting { fit, m_scale }, size, m_shownPage, m_pointSize);
    }
    m_layout.layout(m_scale * m_pointSize, size, m_shownPage);
    updateScrollBars();
}

void PageView::updateScrollBars()
{
    const QSizeF doc = m_layout.documentSize();
    const QSize view = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, int(std::ceil(doc.width() - view.width()))));
    horizontalScrollBar()->setPageStep(view.width());
    verticalScrollBar()->setRange(0, std::max(0, int(std::ceil(doc.height() - view.height()))));
    verticalScrollBar()->setPageStep(view.height());
}

void PageView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    relayout(QPointF(0, 0));
}

void PageView::showEvent(QShowEvent* event)
{
    QAbstractScrollArea::showEvent(event);
    // Laid out at the size it is shown at: the pages in view are asked for now, so that the
    // workers draw them while the window's thread finishes whatever made it.
    if (m_renderTimer.isActive()) {
        m_renderTimer.stop();
        requestRendering();
    }
}

QPointF PageView::scrollOffset() const
{
    return QPointF(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void PageView::scrollBy(double dx, double dy)
{
    horizontalScrollBar()->setValue(int(std::lround(horizontalScrollBar()->value() + dx)));
    verticalScrollBar()->setValue(int(std::lround(verticalScrollBar()->value() + dy)));
}

void PageView::scrollContentsBy(int, int)
{
    viewport()->update();
    if (!m_inLayout)
        afterScroll();
}

void PageView::afterScroll()
{
    ensureMeasured(visiblePages());
    updateCurrentPage();
    scheduleRendering();
}

QVector<int> PageView::visiblePages() const
{
    return m_layout.pagesIn(QRectF(scrollOffset(), QSizeF(viewport()->size())));
}

void PageView::updateCurrentPage(int preferred)
{
    const QRectF visible(scrollOffset(), QSizeF(viewport()->size()));
    const int sticky = preferred >= 0 ? preferred : m_currentPage;
    int best = -1;
    double bestArea = -1;
    for (int page : m_layout.pagesIn(visible)) {
        const QRectF part = m_layout.pageRect(page).intersected(visible);
        const double area = part.width() * part.height();
        // Areas that differ by less than one pixel row count as equal: scrolling lands on whole
        // pixels, so a page shown from its top may lose a fraction of a row.
        const double tolerance = std::max({ 1.0, part.width(), bestArea * 1e-6 });
        if (area > bestArea + tolerance || (std::abs(area - bestArea) <= tolerance && page == sticky)) {
            best = page;
            bestArea = std::max(area, bestArea);
        }
    }
    if (best < 0 && m_layout.pageCount() > 0)
        best = std::clamp(sticky, 0, m_layout.pageCount() - 1);
    if (best >= 0 && !isContinuous(m_mode))
        m_shownPage = best;
    if (best != m_currentPage) {
        m_currentPage = best;
        emit pageChanged(best);
    }
}

// --- coordinates -----------------------------------------------------------

QTransform PageView::pageToView(int pageIndex) const
{
    const QRectF rect = m_layout.pageRect(pageIndex);
    if (rect.isNull())
        return QTransform();
    const QSizeF size = displaySizeOf(m_geometry[pageIndex]);
    const double sx = size.width() > 0 ? rect.width() / size.width() : pixelsPerPoint();
    const double sy = size.height() > 0 ? rect.height() / size.height() : pixelsPerPoint();
    const QPointF origin = rect.topLeft() - scrollOffset();
    return pageToDisplayTransform(m_geometry[pageIndex]) * QTransform(sx, 0, 0, sy, origin.x(), origin.y());
}

QPointF PageView::convertPointToPage(const QPointF& viewPoint, int pageIndex) const
{
    if (!m_layout.isShown(pageIndex))
        return QPointF();
    return pageToView(pageIndex).inverted().map(viewPoint);
}

QPointF PageView::convertPointFromPage(const QPointF& pagePoint, int pageIndex) const
{
    if (!m_layout.isShown(pageIndex))
        return QPointF();
    return pageToView(pageIndex).map(pagePoint);
}

QRectF PageView::convertRectFromPage(const QRectF& pageRect, int pageIndex) const
{
    if (!m_layout.isShown(pageIndex))
        return QRectF();
    return pageToView(pageIndex).mapRect(pageRect);
}

int PageView::pageForPoint(const QPointF& viewPoint, bool nearest) const
{
    return m_layout.pageAt(viewPoint + scrollOffset(), nearest);
}

QRectF PageView::pageRectInView(int pageIndex) const
{
    const QRectF rect = m_layout.pageRect(pageIndex);
    return rect.isNull() ? rect : rect.translated(-scrollOffset());
}

// --- navigation ------------------------------------------------------------

pdf::Destination PageView::currentDestination() const
{
    pdf::Destination destination;
    destination.pageIndex = m_currentPage;
    if (m_currentPage < 0)
        return destination;
    const QRectF crop = m_geometry[m_currentPage].cropBox.normalized();
    const QPointF point = convertPointToPage(QPointF(0, 0), m_currentPage);
    destination.point
        = QPointF(std::clamp(point.x(), crop.left(), crop.right()), std::clamp(point.y(), crop.top(), crop.bottom()));
    return destination;
}

PageLocation PageView::viewLocation() const
{
    const int page = pageForPoint(QPointF(0, 0), true);
    if (page < 0)
        return PageLocation {};
    return PageLocation { page, convertPointToPage(QPointF(0, 0), page) };
}

void PageView::jumpWith(const std::function<void()>& move)
{
    if (m_layout.pageCount() == 0)
        return;
    m_navigator->update(viewLocation());
    move();
    m_navigator->jump(viewLocation());
}

void PageView::showRowOf(int pageIndex)
{
    ensureMeasured({ pageIndex });
    if (isContinuous(m_mode) || m_layout.rowOfPage(pageIndex) == m_layout.shownRow())
        return;
    m_shownPage = pageIndex;
    relayout(std::nullopt);
}

void PageView::showPageTop(int pageIndex)
{
    showRowOf(pageIndex);
    const QRectF rect = m_layout.pageRect(pageIndex);
    const int row = m_layout.rowOfPage(pageIndex);
    // The top of the row, so that two pages of different heights both start in view.
    double top = rect.top();
    for (int p : { m_layout.rows()[row].left, m_layout.rows()[row].right })
        if (p >= 0)
            top = std::min(top, m_layout.pageRect(p).top());
    verticalScrollBar()->setValue(int(std::floor(top - PageLayout::kMargin)));
    updateCurrentPage(pageIndex);
}

void PageView::showLocation(const PageLocation& location)
{
    if (location.pageIndex < 0 || location.pageIndex >= m_layout.pageCount())
        return;
    showRowOf(location.pageIndex);
    const QPointF at = convertPointFromPage(location.point, location.pageIndex);
    scrollBy(at.x(), at.y());
    updateCurrentPage(location.pageIndex);
}

void PageView::showRect(const QRectF& pageRect, int pageIndex)
{
    showRowOf(pageIndex);
    const QRectF rect = convertRectFromPage(pageRect.normalized(), pageIndex);
    const QRectF view(QPointF(0, 0), QSizeF(viewport()->size()));
    if (!view.contains(rect)) {
        auto offset = [](double low, double high, double extent) {
            // Centred when it fits, else its start at the view's start.
            return (high - low) <= extent ? (low + high) / 2 - extent / 2 : low;
        };
        scrollBy(offset(rect.left(), rect.right(), view.width()), offset(rect.top(), rect.bottom(), view.height()));
    }
    updateCurrentPage(pageIndex);
}

void PageView::goToPage(int pageIndex)
{
    if (pageIndex < 0 || pageIndex >= m_layout.pageCount())
        return;
    jumpWith([&] { showPageTop(pageIndex); });
}

void PageView::goToDestination(const pdf::Destination& destination)
{
    if (destination.pageIndex < 0 || destination.pageIndex >= m_layout.pageCount())
        return;
    if (!destination.point) {
        goToPage(destination.pageIndex);
        return;
    }
    jumpWith([&] { showLocation(PageLocation { destination.pageIndex, *destination.point }); });
}

void PageView::goToRect(const QRectF& pageRect, int pageIndex)
{
    if (pageIndex < 0 || pageIndex >= m_layout.pageCount())
        return;
    jumpWith([&] { showRect(pageRect, pageIndex); });
}

bool PageView::canGoToPreviousPage() const
{
    return m_currentPage >= 0 && m_layout.rowOfPage(m_currentPage) > 0;
}

bool PageView::canGoToNextPage() const
{
    return m_currentPage >= 0 && m_layout.rowOfPage(m_currentPage) + 1 < m_layout.rows().size();
}

void PageView::goToPreviousPage()
{
    if (canGoToPreviousPage())
        showPageTop(m_layout.rows()[m_layout.rowOfPage(m_currentPage) - 1].first());
}

void PageView::goToNextPage()
{
    if (canGoToNextPage())
        showPageTop(m_layout.rows()[m_layout.rowOfPage(m_currentPage) + 1].first());
}

void PageView::goToFirstPage()
{
    if (m_layout.pageCount() > 0)
        showPageTop(0);
}

void PageView::goToLastPage()
{
    if (m_layout.pageCount() == 0)
        return;
    showPageTop(m_layout.pageCount() - 1);
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    updateCurrentPage(m_layout.pageCount() - 1);
}

void PageView::goBack()
{
    m_navigator->update(viewLocation());
    if (const auto place = m_navigator->back())
        showLocation(*place);
}

void PageView::goForward()
{
    m_navigator->update(viewLocation());
    if (const auto place = m_navigator->forward())
        showLocation(*place);
}

// --- selection -------------------------------------------------------------

void PageView::setCurrentSelection(const pdf::TextSelection& selection)
{
    m_selection = selection;
    viewport()->update();
    emit selectionChanged();
}

void PageView::clearSelection()
{
    if (m_selection.isEmpty() && m_selection.text.isEmpty())
        return;
    setCurrentSelection(pdf::TextSelection {});
}

void PageView::scrollSelectionToVisible()
{
    if (m_selection.isEmpty())
        return;
    const int page = m_selection.lines.front().pageIndex;
    if (page < 0 || page >= m_layout.pageCount())
        return;
    showRect(m_selection.boundsForPage(page), page);
}

} // namespace tolvo::pageview
