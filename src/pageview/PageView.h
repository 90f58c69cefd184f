// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The page view: shows a PDF's pages in one of four display modes, scales and
// zooms, moves to pages, destinations and rectangles with a history of jumps,
// converts between view and page coordinates, and selects text. It knows
// nothing of tolvo:// links; LabelPDFView builds on it. The PDF's own links show
// a hand and a tool tip, and a click on one is reported (linkActivated), not followed.
//
// Pages are drawn by worker threads (PageRenderer) into a bounded cache
// (ImageCache); the main thread only paints finished images, and a plain
// page-coloured sheet until a page's image arrives.
//
// The current page is the shown page with the largest visible area; when
// several show the same area (two pages side by side, or small pages that are
// all in view), the page that was current stays current if it is one of them,
// else the first of them in page order.

#include "pageview/PageLayout.h"
#include "pageview/PageNavigator.h"
#include "pageview/PdfLinkAreas.h"
#include "pageview/ViewScale.h"
#include "pdf/PdfDocument.h"
#include "render/ImageCache.h"
#include "render/NightMode.h"

#include <QAbstractScrollArea>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

namespace tolvo::pageview {

class PageAhead;
class PageGeometryScanner;
class PageRenderer;

class PageView : public QAbstractScrollArea {
    Q_OBJECT
public:
    static constexpr double kMinimumScaleFactor = kMinimumZoom;
    static constexpr double kMaximumScaleFactor = kMaximumZoom;
    static constexpr qint64 kDefaultCacheBytes = 256LL * 1024 * 1024;
    /// Pages measured before the first page is shown; the rest are measured in the background.
    static constexpr int kPagesMeasuredFirst = 8;

    /// A view with the default cache bound (256 MiB, or TOLVO_PAGE_CACHE_MB from the environment).
    explicit PageView(QWidget* parent = nullptr);
    ~PageView() override;

    /// Shows a document, not owned: it must outlive the view or be replaced first. nullptr shows nothing.
    /// Starts the rendering workers over copies of it (the first takes spareCopy, a copy being
    /// opened already, when given); clears the history and the selection.
    void setDocument(const pdf::Document* document, pdf::DocumentCopySource spareCopy = {});
    const pdf::Document* document() const { return m_document; }
    int pageCount() const { return int(m_geometry.size()); }
    /// The geometry of a page, from the document.
    ///
    /// A long document's pages are measured in the background after the first few; until a
    /// page is, the view lays it out like the page before it (and measures it at once when it
    /// comes into view or is gone to). Conversions for such a page are then approximate.
    pdf::PageGeometry pageGeometry(int pageIndex) const;

    // Display
    void setDisplayMode(DisplayMode mode);
    DisplayMode displayMode() const { return m_mode; }
    /// In the two-up modes, shows the first page alone, as a cover.
    void setDisplaysAsBook(bool book);
    bool displaysAsBook() const { return m_book; }
    /// Automatic scaling: fit width in the continuous modes, whole page otherwise; follows resizes.
    void setAutoScales(bool autoScales);
    bool autoScales() const { return m_autoScale != AutoScale::Off; }
    /// How the scale follows the view's size: not at all, automatic scaling (above), the widest
    /// page across the view, or the current page (or two-up row) whole in the view.
    enum class AutoScale { Off, Automatic, FitWidth, FitPage };
    void setAutoScale(AutoScale autoScale);
    AutoScale autoScale() const { return m_autoScale; }
    /// The zoom: 1 is actual size, one point drawn as 1/72 inch at the screen's logical
    /// resolution. Turns automatic scaling off.
    void setScaleFactor(double scale);
    double scaleFactor() const { return m_scale; }
    /// The logical dots per inch that actual size is measured in; 0 (the default) follows the screen.
    void setLogicalDpi(double dpi);
    /// Logical pixels per point at the current zoom.
    double pixelsPerPoint() const { return m_scale * m_pointSize; }
    bool canZoomIn() const { return m_scale < kMaximumScaleFactor - 1e-9; }
    bool canZoomOut() const { return m_scale > kMinimumScaleFactor + 1e-9; }

    // Navigation
    /// The current page (see the class comment), -1 without pages.
    int currentPage() const { return m_currentPage; }
    /// The current page and the point of it at the view's top-left corner, kept inside its crop box.
    pdf::Destination currentDestination() const;
    /// Jumps to the top of a page (recorded in the history).
    void goToPage(int pageIndex);
    /// Jumps so that the destination's point is at the view's top-left corner (recorded).
    void goToDestination(const pdf::Destination& destination);
    /// Jumps so that a rectangle of a page (page space) is in view; no move when it is already (recorded).
    void goToRect(const QRectF& pageRect, int pageIndex);
    bool canGoToPreviousPage() const;
    bool canGoToNextPage() const;
    bool canGoBack() const { return m_navigator->backAvailable(); }
    bool canGoForward() const { return m_navigator->forwardAvailable(); }
    /// The history of jumps.
    PageNavigator& navigator() { return *m_navigator; }

    // Coordinates. View points are in the viewport's logical pixels.
    QPointF convertPointToPage(const QPointF& viewPoint, int pageIndex) const;
    QPointF convertPointFromPage(const QPointF& pagePoint, int pageIndex) const;
    /// A page-space rectangle as it lies in the view (its bounding box).
    QRectF convertRectFromPage(const QRectF& pageRect, int pageIndex) const;
    /// The page under a view point; with nearest, the closest shown page when none is; else -1.
    int pageForPoint(const QPointF& viewPoint, bool nearest) const;
    /// The page's rectangle in the view; null when it is not laid out (non-continuous modes).
    QRectF pageRectInView(int pageIndex) const;
    /// The pages that are at least partly in view, in page order.
    QVector<int> visiblePages() const;

    // Selection
    const pdf::TextSelection& currentSelection() const { return m_selection; }
    void setCurrentSelection(const pdf::TextSelection& selection);
    void clearSelection();
    /// Scrolls the selection's first page bounds into view (not recorded in the history).
    void scrollSelectionToVisible();

    // Rendering
    void setCacheLimit(qint64 bytes);
    qint64 cacheLimit() const { return m_cache.maxBytes(); }
    qint64 cachedBytes() const { return m_cache.bytes(); }
    /// True when every visible page has its image at the current scale (or could not be drawn).
    bool visiblePagesReady() const;
    /// Draws the pages with their lightness turned over (nightImage), for reading in the dark.
    void setNightMode(bool on);
    bool nightMode() const { return m_night; }
    /// A page being drawn ahead, at the scale and in the style this view is expected to show it
    /// in once on screen (PageAhead). When the view shows, the page is taken instead of being
    /// drawn again if its scale and style are the ones the view draws it at; else it is dropped
    /// and drawn as any other. A new document drops it.
    void setPageAhead(std::shared_ptr<PageAhead> ahead);
    /// In night mode, leaves the PDF's raster images (photos, scans) as they are.
    void setNightKeepsImages(bool keep);
    bool nightKeepsImages() const { return m_nightKeepsImages; }
    /// The style pages are drawn in now.
    PageStyle pageStyle() const;

    // Links of the PDF (PageViewLinks.cpp)
    /// The link annotations of the pages, read as the pages come into view.
    PdfLinkAreas& linkAreas() { return *m_links; }
    /// The link under a view point; nullptr when there is none (or its page's links are not read yet).
    const LinkArea* linkAt(const QPointF& viewPoint) const;
    /// What a link's tool tip says: "Go to page L", "Next page", ..., or the address.
    static QString linkDescription(const LinkArea& area);

    // Highlighted matches of a find
    /// Gives the rectangles (page space) to highlight on a page; empty source: none.
    using MatchSource = std::function<QVector<QRectF>(int pageIndex)>;
    void setMatchSource(MatchSource source);

    // Marks not yet in the PDF's own drawing
    /// Gives the marks to draw over a page; empty source: none.
    using MarkSource = std::function<std::vector<pdf::Mark>(int pageIndex)>;
    void setMarkSource(MarkSource source);
    /// Draws a frame around a mark to show it selected; nothing: no mark is.
    void setSelectedMark(const std::optional<pdf::Mark>& mark);
    const std::optional<pdf::Mark>& selectedMark() const { return m_selectedMark; }
    /// Redraws the marks (after a change of what the source gives).
    void marksChanged();
    /// The PDF file was replaced by a new version of itself (same pages): the pages are drawn
    /// afresh from it, while the place, the selection and the history stay. Until a page's new
    /// image arrives its old one is shown.
    void reloadPages();

public slots:
    void zoomIn();
    void zoomOut();
    void zoomToActualSize();
    void goToPreviousPage();
    void goToNextPage();
    void goToFirstPage();
    void goToLastPage();
    void goBack();
    void goForward();
    /// Copies the selected text as plain text; beeps when nothing is selected.
    virtual void copy();

signals:
    void pageChanged(int pageIndex);
    void scaleChanged(double scale);
    void displayModeChanged();
    void selectionChanged();
    /// Emitted after a paint in which every visible page was drawn from its finished image.
    void visiblePagesDrawn();
    /// A link of the PDF was clicked (pressed and released on it without dragging).
    void linkActivated(const tolvo::pdf::PageLink& link);

protected:
    /// Draws one page. The painter is in the page's display space: points from the top-left
    /// corner of the page as shown, y down. The base draws the page image or its placeholder.
    virtual void drawPage(QPainter& painter, int pageIndex);
    /// A double-click on the view; the base selects the word under it.
    virtual void pageDoubleClicked(QMouseEvent* event);
    /// A click with Shift held; the base extends the selection to the point.
    virtual void pageShiftClicked(QMouseEvent* event);

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    struct Hit {
        int pageIndex = -1;
        QPointF point;
    };
    /// A page point to keep at a view point across a new layout.
    struct Anchor {
        PageLocation location;
        QPointF viewPoint;
    };

    // Layout and scrolling (PageView.cpp)
    void ensureMeasured(const QVector<int>& pages);
    void geometryRead(int first, const QVector<pdf::PageGeometry>& pages);
    void rebuildLayout();
    std::optional<Anchor> anchorAt(std::optional<QPointF> viewPoint) const;
    void relayout(std::optional<QPointF> anchorViewPoint);
    void layoutKeeping(std::optional<Anchor> anchor);
    void computeLayout();
    void updateScrollBars();
    QPointF scrollOffset() const;
    void scrollBy(double dx, double dy);
    void afterScroll();
    void updateCurrentPage(int preferred = -1);
    void setScale(double scale, std::optional<QPointF> anchorViewPoint);
    void showRowOf(int pageIndex);
    void showPageTop(int pageIndex);
    void showLocation(const PageLocation& location);
    void showRect(const QRectF& pageRect, int pageIndex);
    PageLocation viewLocation() const;
    void jumpWith(const std::function<void()>& move);
    QTransform pageToView(int pageIndex) const;

    // Rendering (PageViewRendering.cpp)
    double renderScaleFor(int pageIndex) const;
    PageImageKey imageKeyFor(int pageIndex) const;
    void scheduleRendering();
    void requestRendering();
    void pageRendered(int pageIndex, double scale, tolvo::PageStyle style, const QImage& image);
    /// Takes or drops the page drawn ahead once the view is on screen (painting: in a paint,
    /// which shows what it takes); the page still coming from it (-1: none), which the workers
    /// are not to draw.
    int pageComingAhead(bool painting = false);
    void dropPageAhead();
    /// Drops the images of the pages drawn in the other style and asks for them anew.
    void pageStyleChanged();
    void drawPageImage(QPainter& painter, int pageIndex);
    void paintSelection(QPainter& painter, int pageIndex);
    void paintMatches(QPainter& painter, int pageIndex);
    void paintMarks(QPainter& painter, int pageIndex);

    // Links (PageViewLinks.cpp)
    void hoverAt(const QPointF& viewPoint);
    bool showLinkToolTip(QEvent* event);

    // Input (PageViewInput.cpp)
    Hit hitAt(const QPointF& viewPoint) const;
    void selectTo(const QPointF& viewPoint);
    void autoScroll();
    bool scrollWithinOrTurn(double dy);

    const pdf::Document* m_document = nullptr;
    QVector<pdf::PageGeometry> m_geometry;
    QVector<bool> m_measured; // false: m_geometry holds an estimate
    PageGeometryScanner* m_scanner;
    PageLayout m_layout;
    DisplayMode m_mode = DisplayMode::SinglePageContinuous;
    bool m_book = false;
    AutoScale m_autoScale = AutoScale::Off;
    double m_scale = 1;
    double m_logicalDpi = 0;
    double m_pointSize = 1; // logical pixels per point at zoom 1, set at each layout
    int m_shownPage = 0; // selects the row in the non-continuous modes
    int m_currentPage = -1;
    bool m_inLayout = false;
    bool m_layoutAgain = false;
    PageNavigator* m_navigator;

    PageRenderer* m_renderer;
    ImageCache m_cache;
    QSet<PageImageKey> m_failed;
    QTimer m_renderTimer;

    pdf::TextSelection m_selection;
    Hit m_selectionAnchor;
    bool m_pressed = false;
    bool m_selecting = false;
    QPointF m_pressPoint;
    QPointF m_lastMousePoint;
    QTimer m_autoScrollTimer;
    int m_wheelTurnAccumulator = 0;

    PdfLinkAreas* m_links;
    std::optional<pdf::PageLink> m_pressedLink;
    bool m_followedLink = false; // the last click followed a link: its double-click is no double-click
    MatchSource m_matchSource;
    MarkSource m_markSource;
    std::optional<pdf::Mark> m_selectedMark;
    std::shared_ptr<PageAhead> m_ahead;
    bool m_firstPagesShown = false; ///< the document's first pages are on screen: the ones around may be drawn
    QHash<int, QImage> m_staleImages; // shown after reloadPages() until a page's new image arrives
    bool m_night = false;
    bool m_nightKeepsImages = false;
};

} // namespace tolvo::pageview
