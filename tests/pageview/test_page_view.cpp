// SPDX-License-Identifier: GPL-3.0-or-later
// The page view over a fake document: modes, zoom, navigation, history,
// coordinates, selection gestures, and rendering off the main thread.
#include "FakeDocument.h"
#include "PageViewTestSupport.h"

#include "pageview/PageView.h"
#include "render/DisplaySpace.h"

#include <QClipboard>
#include <QDeadlineTimer>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

using tolvo::pageview::DisplayMode;
using tolvo::pageview::PageLayout;
using tolvo::pageview::PageView;
using tolvo::pdf::PageGeometry;
using tolvo::test::FakeDocument;

Q_DECLARE_METATYPE(DisplayMode)

namespace {

// Records the gestures that the view hands to a subclass.
class HookView : public PageView {
public:
    int doubleClicks = 0;
    int shiftClicks = 0;
    QPointF lastPoint;

protected:
    void pageDoubleClicked(QMouseEvent* event) override
    {
        ++doubleClicks;
        lastPoint = event->position();
    }
    void pageShiftClicked(QMouseEvent* event) override
    {
        ++shiftClicks;
        lastPoint = event->position();
    }
};

bool near(double a, double b, double tolerance = 1.0)
{
    return std::abs(a - b) <= tolerance;
}

bool near(QPointF a, QPointF b, double tolerance = 1e-6)
{
    return std::abs(a.x() - b.x()) <= tolerance && std::abs(a.y() - b.y()) <= tolerance;
}

// The view point of a fake word's centre.
QPointF wordPoint(const PageView& view, const FakeDocument& doc, int page, int line, int word)
{
    return view.convertPointFromPage(doc.words(page)[size_t(line * 3 + word)].bounds.center(), page);
}

} // namespace

class TestPageView : public QObject {
    Q_OBJECT

    std::unique_ptr<FakeDocument> m_doc;
    std::unique_ptr<PageView> m_view;

    PageView& open(
        std::vector<PageGeometry> pages, DisplayMode mode = DisplayMode::SinglePageContinuous, PageView* view = nullptr)
    {
        m_doc = std::make_unique<FakeDocument>(std::move(pages));
        m_view.reset(view ? view : new PageView);
        // At 72 dpi actual size draws one point as one logical pixel, which the numbers here assume.
        m_view->setLogicalDpi(72);
        m_view->resize(800, 600);
        m_view->setDisplayMode(mode);
        m_view->show();
        m_view->setDocument(m_doc.get());
        return *m_view;
    }

private slots:
    void cleanup()
    {
        m_view.reset();
        m_doc.reset();
    }

    void autoScaleFitsEveryMode_data()
    {
        QTest::addColumn<DisplayMode>("mode");
        QTest::addColumn<bool>("book");
        QTest::newRow("single") << DisplayMode::SinglePage << false;
        QTest::newRow("continuous") << DisplayMode::SinglePageContinuous << false;
        QTest::newRow("two-up") << DisplayMode::TwoUp << false;
        QTest::newRow("two-up continuous") << DisplayMode::TwoUpContinuous << false;
        QTest::newRow("book") << DisplayMode::TwoUp << true;
        QTest::newRow("book continuous") << DisplayMode::TwoUpContinuous << true;
    }
    void autoScaleFitsEveryMode()
    {
        QFETCH(DisplayMode, mode);
        QFETCH(bool, book);
        PageView& view = open(FakeDocument::letterPages(6), mode);
        view.setDisplaysAsBook(book);
        view.setAutoScales(true);
        const QSize vp = view.viewport()->size();
        const int first = book && tolvo::pageview::isTwoUp(mode) ? 0 : 0;
        const QRectF page = view.pageRectInView(first);
        QVERIFY(!page.isNull());
        const double across = tolvo::pageview::isTwoUp(mode) ? 2 * page.width() + PageLayout::kGap : page.width();
        if (tolvo::pageview::isContinuous(mode)) {
            QVERIFY(near(across + 2 * PageLayout::kMargin, vp.width()));
            QCOMPARE(view.horizontalScrollBar()->maximum(), 0);
        } else {
            QVERIFY(across + 2 * PageLayout::kMargin <= vp.width() + 1);
            QVERIFY(page.height() + 2 * PageLayout::kMargin <= vp.height() + 1);
            QVERIFY(near(across + 2 * PageLayout::kMargin, vp.width()) || near(page.height() + 16, vp.height()));
            // Only one row is laid out.
            QVERIFY(view.pageRectInView(4).isNull());
        }
        // In a book the cover stands alone; otherwise page 1 shares the row in two-up.
        if (tolvo::pageview::isTwoUp(mode)) {
            const QRectF second = view.pageRectInView(1);
            if (book)
                QVERIFY(second.isNull() || second.top() > page.bottom());
            else
                QCOMPARE(second.top(), page.top());
        }
        // A resize follows.
        const double before = view.scaleFactor();
        view.resize(300, 600);
        QVERIFY(view.scaleFactor() < before);
    }

    void zoomSteps()
    {
        PageView& view = open(FakeDocument::letterPages(3));
        QSignalSpy spy(&view, &PageView::scaleChanged);
        QCOMPARE(view.scaleFactor(), 1.0);
        view.zoomIn();
        QCOMPARE(view.scaleFactor(), 1.1);
        view.zoomOut();
        view.zoomOut();
        QCOMPARE(view.scaleFactor(), 0.9);
        view.zoomToActualSize();
        QCOMPARE(view.scaleFactor(), 1.0);
        QCOMPARE(spy.count(), 4);
        QCOMPARE(view.pageRectInView(0).size(), QSizeF(612, 792)); // one point, one logical pixel
        view.setScaleFactor(50);
        QCOMPARE(view.scaleFactor(), PageView::kMaximumScaleFactor);
        QVERIFY(!view.canZoomIn());
        view.zoomIn();
        QCOMPARE(view.scaleFactor(), PageView::kMaximumScaleFactor);
        view.setScaleFactor(0.001);
        QCOMPARE(view.scaleFactor(), PageView::kMinimumScaleFactor);
        QVERIFY(!view.canZoomOut());
        view.setAutoScales(true);
        QVERIFY(view.autoScales());
        view.zoomIn();
        QVERIFY(!view.autoScales());
    }

    void zoomKeepsTheCentreAndWheelKeepsThePointer()
    {
        PageView& view = open(FakeDocument::letterPages(20));
        view.goToPage(5);
        const QPointF centre(view.viewport()->width() / 2.0, view.viewport()->height() / 2.0);
        const int page = view.pageForPoint(centre, true);
        const QPointF before = view.convertPointToPage(centre, page);
        view.zoomIn();
        view.zoomIn();
        QVERIFY(near(view.convertPointFromPage(before, page), centre, 1.0));

        const QPointF pointer(200, 150);
        const int under = view.pageForPoint(pointer, true);
        const QPointF spot = view.convertPointToPage(pointer, under);
        QWheelEvent wheel(pointer, view.viewport()->mapToGlobal(pointer), QPoint(), QPoint(0, 120), Qt::NoButton,
            Qt::ControlModifier, Qt::NoScrollPhase, false);
        const double scale = view.scaleFactor();
        QApplication::sendEvent(view.viewport(), &wheel);
        QVERIFY(view.scaleFactor() > scale);
        QVERIFY(near(view.convertPointFromPage(spot, under), pointer, 1.0));
    }

    void goToPageAndTheCurrentPage()
    {
        PageView& view = open(FakeDocument::letterPages(50));
        QSignalSpy spy(&view, &PageView::pageChanged);
        view.goToPage(10);
        QCOMPARE(view.currentPage(), 10);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.last().first().toInt(), 10);
        QVERIFY(near(view.pageRectInView(10).top(), PageLayout::kMargin));
        // Scrolling until page 11 shows more than page 10 makes it current.
        view.verticalScrollBar()->setValue(view.verticalScrollBar()->value() + 500);
        QCOMPARE(view.currentPage(), 10);
        view.verticalScrollBar()->setValue(view.verticalScrollBar()->value() + 100);
        QCOMPARE(view.currentPage(), 11);
        view.goToPage(-1);
        view.goToPage(50);
        QCOMPARE(view.currentPage(), 11);
        view.goToLastPage();
        QCOMPARE(view.currentPage(), 49);
        view.goToFirstPage();
        QCOMPARE(view.currentPage(), 0);
    }

    void equalAreasKeepTheChosenPage()
    {
        PageView& view = open(FakeDocument::letterPages(10), DisplayMode::TwoUpContinuous);
        view.setScaleFactor(0.5);
        view.goToPage(5); // the right-hand page of the row 4, 5
        QCOMPARE(view.currentPage(), 5);
        view.verticalScrollBar()->setValue(view.verticalScrollBar()->value() + 3);
        QCOMPARE(view.currentPage(), 5);
        view.goToPage(2);
        QCOMPARE(view.currentPage(), 2);
    }

    void previousAndNextPageByRow()
    {
        PageView& view = open(FakeDocument::letterPages(7), DisplayMode::TwoUp);
        view.setDisplaysAsBook(true);
        QCOMPARE(view.currentPage(), 0);
        QVERIFY(!view.canGoToPreviousPage());
        view.goToNextPage();
        QCOMPARE(view.currentPage(), 1);
        QVERIFY(!view.pageRectInView(2).isNull());
        QVERIFY(view.pageRectInView(0).isNull());
        view.goToNextPage();
        view.goToNextPage();
        QCOMPARE(view.currentPage(), 5);
        QVERIFY(!view.canGoToNextPage());
        view.goToPreviousPage();
        QCOMPARE(view.currentPage(), 3);
        QVERIFY(!view.canGoBack()); // page steps are not jumps
    }

    void historyRecordsJumpsNotScrolling()
    {
        PageView& view = open(FakeDocument::letterPages(50));
        view.goToPage(10);
        view.goToPage(20);
        view.verticalScrollBar()->setValue(view.verticalScrollBar()->value() + 100);
        const double scrolledTop = view.pageRectInView(20).top();
        QVERIFY(view.canGoBack());
        QVERIFY(!view.canGoForward());
        view.goBack();
        QCOMPARE(view.currentPage(), 10);
        QVERIFY(near(view.pageRectInView(10).top(), PageLayout::kMargin));
        view.goBack();
        QCOMPARE(view.currentPage(), 0);
        QVERIFY(!view.canGoBack());
        view.goForward();
        view.goForward();
        QCOMPARE(view.currentPage(), 20);
        QVERIFY(near(view.pageRectInView(20).top(), scrolledTop)); // back where the reader had scrolled
        view.goBack();
        view.goToPage(30); // a jump drops what was ahead
        QVERIFY(!view.canGoForward());
        m_view->setDocument(m_doc.get());
        QVERIFY(!view.canGoBack());
    }

    void destinationsAndRects()
    {
        PageView& view = open(FakeDocument::letterPages(20));
        view.setScaleFactor(2);
        view.goToDestination({ 3, QPointF(100, 500) });
        QCOMPARE(view.currentPage(), 3);
        QVERIFY(near(view.convertPointFromPage(QPointF(100, 500), 3), QPointF(0, 0), 1.0));
        const tolvo::pdf::Destination here = view.currentDestination();
        QCOMPARE(here.pageIndex, 3);
        QVERIFY(near(*here.point, QPointF(100, 500), 0.5));
        // Where the page cannot scroll that far across, the point comes as far left as it can.
        view.goToDestination({ 3, QPointF(600, 500) });
        QCOMPARE(view.horizontalScrollBar()->value(), view.horizontalScrollBar()->maximum());
        view.goToDestination({ 7, std::nullopt });
        QCOMPARE(view.currentPage(), 7);
        QVERIFY(near(view.pageRectInView(7).top(), PageLayout::kMargin));
        QCOMPARE(view.currentDestination().point->y(), 792.0); // clamped to the page's top edge

        // A rectangle already in view: nothing moves. Else it comes to the middle.
        const QPointF scroll(view.horizontalScrollBar()->value(), view.verticalScrollBar()->value());
        const QPointF middle = view.convertPointToPage(QPointF(view.viewport()->width() / 2.0, 100), 7);
        const QRectF visible(middle, QSizeF(10, 10));
        view.goToRect(visible, 7);
        QCOMPARE(QPointF(view.horizontalScrollBar()->value(), view.verticalScrollBar()->value()), scroll);
        view.goToRect(QRectF(300, 100, 1, 1), 12);
        const QPointF spot = view.convertPointFromPage(QPointF(300.5, 100.5), 12);
        QVERIFY(near(spot, QPointF(view.viewport()->width() / 2.0, view.viewport()->height() / 2.0), 2.0));
        QCOMPARE(view.currentPage(), 12);
        view.goBack();
        QCOMPARE(view.currentPage(), 7);
    }

    void coordinatesOnRotatedAndCroppedPages_data()
    {
        QTest::addColumn<int>("page");
        for (int page = 0; page < 6; ++page)
            QTest::addRow("page %d", page) << page;
    }
    void coordinatesOnRotatedAndCroppedPages()
    {
        QFETCH(int, page);
        std::vector<PageGeometry> pages = { FakeDocument::page(612, 792, 0), FakeDocument::page(612, 792, 90),
            FakeDocument::page(612, 792, 180), FakeDocument::page(612, 792, 270),
            FakeDocument::page(400, 300, 90, QPointF(100, 50)), FakeDocument::page(400, 300, 0, QPointF(-200, 700)) };
        PageView& view = open(pages);
        view.setScaleFactor(0.75);
        view.goToPage(page);
        const QRectF rect = view.pageRectInView(page);
        QCOMPARE(rect.size(), tolvo::pageview::displaySizeOf(pages[size_t(page)]) * 0.75);
        const QTransform toDisplay = tolvo::pageview::pageToDisplayTransform(pages[size_t(page)]);
        const QRectF crop = pages[size_t(page)].cropBox;
        for (const QPointF& p :
            { crop.topLeft(), crop.bottomRight(), crop.center(), QPointF(crop.left() + 33, crop.top() + 7) }) {
            const QPointF inView = view.convertPointFromPage(p, page);
            QVERIFY(near(view.convertPointToPage(inView, page), p, 1e-9));
            QVERIFY(near(inView, rect.topLeft() + toDisplay.map(p) * 0.75, 1e-9));
        }
        QCOMPARE(view.pageForPoint(rect.center(), false), page);
        QCOMPARE(view.convertRectFromPage(crop, page), rect);
    }

    void renderingNeverOnTheMainThread()
    {
        PageView& view = open(FakeDocument::letterPages(30));
        QVERIFY(tolvo::test::waitForPages(view));
        view.goToPage(20);
        QVERIFY(tolvo::test::waitForPages(view));
        const auto entries = m_doc->log()->snapshot();
        QVERIFY(entries.size() >= 2);
        for (const auto& entry : entries)
            QVERIFY(entry.thread != QThread::currentThread());
        QTRY_VERIFY(m_doc->log()->reopened >= 2); // a copy per worker, the second once the first pages show
        // Visible pages first, then the pages after them.
        QCOMPARE(entries.front().pageIndex, 0);
    }

    // The pages around the visible ones are drawn once those are on screen, not beside them.
    void pagesAroundWaitForTheVisibleOnes()
    {
        m_doc = std::make_unique<FakeDocument>(FakeDocument::letterPages(30));
        m_view = std::make_unique<PageView>();
        m_view->setLogicalDpi(72);
        m_view->resize(800, 600);
        m_view->show();
        QSet<int> drawnBeforeShown;
        connect(
            m_view.get(), &PageView::visiblePagesDrawn, this,
            [&] {
                for (const auto& entry : m_doc->log()->snapshot())
                    drawnBeforeShown.insert(entry.pageIndex);
            },
            Qt::SingleShotConnection);
        m_view->setDocument(m_doc.get());
        QTRY_VERIFY(!drawnBeforeShown.isEmpty());
        const QVector<int> visible = m_view->visiblePages();
        for (int page : drawnBeforeShown)
            QVERIFY2(visible.contains(page), qPrintable(QString::number(page)));
        const auto after = [&] {
            for (const auto& entry : m_doc->log()->snapshot())
                if (entry.pageIndex > visible.back())
                    return true;
            return false;
        };
        QTRY_VERIFY(after());
    }

    // A window builds its view hidden and shows it at its own size: drawing at the size the view
    // had before would be thrown away. With a copy opened elsewhere already, the first worker
    // takes it (or opens its own when that failed).
    void firstDrawingAtTheShownSize_data()
    {
        QTest::addColumn<int>("spare"); // 0 none, 1 a copy, 2 a source that failed
        QTest::newRow("no spare copy") << 0;
        QTest::newRow("spare copy") << 1;
        QTest::newRow("spare copy failed") << 2;
    }
    void firstDrawingAtTheShownSize()
    {
        QFETCH(int, spare);
        m_doc = std::make_unique<FakeDocument>(FakeDocument::letterPages(10));
        m_view = std::make_unique<PageView>();
        m_view->setLogicalDpi(72);
        m_view->resize(300, 300);
        m_view->setAutoScales(true);
        auto asked = std::make_shared<std::atomic<int>>(0);
        tolvo::pdf::DocumentCopySource source;
        if (spare > 0)
            source = [asked, spare, pages = FakeDocument::letterPages(10), log = m_doc->log()] {
                ++*asked;
                return spare == 1 ? std::make_unique<FakeDocument>(pages, log) : nullptr;
            };
        m_view->setDocument(m_doc.get(), source);
        m_view->resize(900, 700);
        m_view->show();
        // Drawn (by a worker of its own when the spare copy failed), and only at the shown size.
        QVERIFY(tolvo::test::waitForPages(*m_view));
        const double shownScale = m_view->scaleFactor();
        for (const auto& entry : m_doc->log()->snapshot())
            QVERIFY2(near(entry.scale, shownScale * m_view->devicePixelRatioF(), 1e-6),
                qPrintable(QStringLiteral("page %1 drawn at %2").arg(entry.pageIndex).arg(entry.scale)));
        QCOMPARE(asked->load(), spare > 0 ? 1 : 0);
    }

    // Pages are drawn at the screen's device pixels (run again with QT_SCALE_FACTOR=2).
    void sharpOnHighDpi()
    {
        PageView& view = open(FakeDocument::letterPages(3));
        view.setScaleFactor(1.25);
        QVERIFY(tolvo::test::waitForPages(view));
        const double dpr = view.viewport()->devicePixelRatioF();
        bool found = false;
        for (const auto& entry : m_doc->log()->snapshot())
            if (entry.pageIndex == 0 && !entry.aborted && std::abs(entry.scale - 1.25 * dpr) < 1e-9)
                found = true;
        QVERIFY2(found, qPrintable(QString::number(dpr)));
        if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR"))
            QVERIFY(dpr > 1);
    }

    void staleRequestsAreDropped()
    {
        PageView& view = open(FakeDocument::letterPages(400));
        m_doc->setRenderDelay(std::chrono::milliseconds(300));
        m_view->setDocument(m_doc.get()); // the copies take the delay
        m_doc->log()->clear();
        QTRY_VERIFY(m_doc->log()->drawing > 0); // the first pages are being drawn
        view.goToPage(300);
        QVERIFY(tolvo::test::waitForPages(view));
        QTRY_COMPARE(m_doc->log()->drawing.load(), 0); // what was begun near the start has ended
        int nearStart = 0;
        int drawnNearStart = 0;
        for (const auto& entry : m_doc->log()->snapshot())
            if (entry.pageIndex < 100) {
                ++nearStart;
                drawnNearStart += !entry.aborted;
            }
        QVERIFY2(nearStart <= 2, qPrintable(QString::number(nearStart))); // only those already started
        QCOMPARE(drawnNearStart, 0);
    }

    // A change of style while a page is being drawn, or drawn and on its way, never leaves the
    // page in the style it had before. The fake's pages are light lavender with an image area.
    void styleChangesNeverLeaveAStalePage_data()
    {
        QTest::addColumn<bool>("nightBefore");
        QTest::addColumn<bool>("keepBefore");
        QTest::addColumn<bool>("nightAfter");
        QTest::addColumn<bool>("keepAfter");
        QTest::addColumn<bool>("whileDrawing"); // else once drawn, before the view hears of it
        for (const bool drawing : { true, false }) {
            const char* when = drawing ? "while drawing" : "on its way";
            QTest::addRow("night on, %s", when) << false << false << true << false << drawing;
            QTest::addRow("night off, %s", when) << true << false << false << false << drawing;
            QTest::addRow("keep images, %s", when) << true << false << true << true << drawing;
            QTest::addRow("turn images, %s", when) << true << true << true << false << drawing;
        }
    }
    void styleChangesNeverLeaveAStalePage()
    {
        QFETCH(bool, nightBefore);
        QFETCH(bool, keepBefore);
        QFETCH(bool, nightAfter);
        QFETCH(bool, keepAfter);
        QFETCH(bool, whileDrawing);
        PageView& view = open(FakeDocument::letterPages(2));
        QVERIFY(tolvo::test::waitForPages(view));
        const QRectF image(100, 400, 200, 200);
        m_doc->setImageArea(image);
        m_doc->setRenderDelay(std::chrono::milliseconds(whileDrawing ? 500 : 50));
        view.setNightMode(nightBefore);
        view.setNightKeepsImages(keepBefore);
        m_doc->log()->clear();
        view.setDocument(m_doc.get()); // the copies take the delay and the image
        const auto log = m_doc->log();
        QTRY_VERIFY(log->drawing > 0);
        if (!whileDrawing) {
            // Drawn, and not heard of: no events are handled meanwhile.
            QDeadlineTimer deadline(10000);
            while ((log->snapshot().empty() || log->drawing > 0) && !deadline.hasExpired())
                std::this_thread::yield();
            QVERIFY(!deadline.hasExpired());
        }
        view.setNightMode(nightAfter);
        view.setNightKeepsImages(keepAfter);
        QVERIFY(tolvo::test::waitForPages(view));
        const QImage shot = view.viewport()->grab().toImage();
        auto lightAt = [&](const QPointF& pagePoint) {
            const QPointF at = view.convertPointFromPage(pagePoint, 0) * shot.devicePixelRatio();
            return qGray(shot.pixel(at.toPoint())) > 128;
        };
        QCOMPARE(lightAt(image.center()), !nightAfter || keepAfter);
        QCOMPARE(lightAt(QPointF(400, 700)), !nightAfter);
    }

    void theCacheStaysWithinItsBound()
    {
        PageView& view = open(FakeDocument::letterPages(60));
        const qint64 limit = 8 * 1024 * 1024; // about four letter pages at actual size
        view.setCacheLimit(limit);
        for (int page = 0; page < 60; page += 3) {
            view.goToPage(page);
            QVERIFY(tolvo::test::waitForPages(view));
            QVERIFY(view.cachedBytes() <= limit);
        }
    }

    void pagesThatCannotBeDrawnStillShow()
    {
        m_doc = std::make_unique<FakeDocument>(FakeDocument::letterPages(3));
        m_doc->setReopenFails(true);
        m_view = std::make_unique<PageView>();
        m_view->resize(800, 600);
        m_view->show();
        m_view->setDocument(m_doc.get());
        QVERIFY(tolvo::test::waitForPages(*m_view));
        QVERIFY(!m_view->grab().isNull());

        // The view lets go of a document before it goes: its workers may still be opening copies.
        auto failing = std::make_unique<FakeDocument>(FakeDocument::letterPages(3));
        failing->setFailingPage(0);
        m_view->setDocument(failing.get());
        m_doc = std::move(failing);
        QVERIFY(tolvo::test::waitForPages(*m_view));
    }

    void keyboard_data()
    {
        QTest::addColumn<DisplayMode>("mode");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("startPage");
        QTest::addColumn<int>("endPage");
        QTest::newRow("end") << DisplayMode::SinglePageContinuous << int(Qt::Key_End) << 0 << 9;
        QTest::newRow("home") << DisplayMode::SinglePageContinuous << int(Qt::Key_Home) << 6 << 0;
        QTest::newRow("right turns the page") << DisplayMode::SinglePage << int(Qt::Key_Right) << 3 << 4;
        QTest::newRow("left turns back") << DisplayMode::SinglePage << int(Qt::Key_Left) << 3 << 2;
        QTest::newRow("page down at the end of a page") << DisplayMode::SinglePage << int(Qt::Key_PageDown) << 3 << 4;
        QTest::newRow("space at the end of a page") << DisplayMode::SinglePage << int(Qt::Key_Space) << 3 << 4;
        QTest::newRow("page up at the start of a page") << DisplayMode::SinglePage << int(Qt::Key_PageUp) << 3 << 2;
        QTest::newRow("down in a spread") << DisplayMode::TwoUp << int(Qt::Key_Down) << 2 << 4;
        QTest::newRow("page down scrolls on") << DisplayMode::SinglePageContinuous << int(Qt::Key_PageDown) << 3 << 4;
    }
    void keyboard()
    {
        QFETCH(DisplayMode, mode);
        QFETCH(int, key);
        QFETCH(int, startPage);
        QFETCH(int, endPage);
        PageView& view = open(FakeDocument::letterPages(10), mode);
        view.setAutoScales(true);
        view.goToPage(startPage);
        QTest::keyClick(&view, Qt::Key(key));
        if (key == Qt::Key_PageDown && mode == DisplayMode::SinglePageContinuous)
            QTest::keyClick(&view, Qt::Key(key));
        QCOMPARE(view.currentPage(), endPage);
    }

    void dragSelectsAcrossALineBreakAndAcrossPages()
    {
        PageView& view = open(FakeDocument::letterPages(3));
        view.setScaleFactor(0.5);
        QSignalSpy spy(&view, &PageView::selectionChanged);
        tolvo::test::drag(view, wordPoint(view, *m_doc, 0, 0, 1), wordPoint(view, *m_doc, 0, 1, 0));
        QCOMPARE(view.currentSelection().text, QStringLiteral("p0l0b p0l0c\np0l1a"));
        QCOMPARE(view.currentSelection().lines.size(), size_t(2));
        QVERIFY(spy.count() >= 1);
        // Upwards from page 1 to page 0.
        tolvo::test::drag(view, wordPoint(view, *m_doc, 1, 0, 0), wordPoint(view, *m_doc, 0, 2, 2));
        QCOMPARE(view.currentSelection().text, QStringLiteral("p0l2c\np1l0a"));
        QCOMPARE(view.currentSelection().pages(), (QVector<int> { 0, 1 }));
        // A plain click clears it.
        tolvo::test::click(view, wordPoint(view, *m_doc, 2, 0, 0));
        QVERIFY(view.currentSelection().isEmpty());
    }

    void doubleAndShiftClicksGoToTheSubclass()
    {
        auto* hooks = new HookView;
        PageView& view = open(FakeDocument::letterPages(2), DisplayMode::SinglePageContinuous, hooks);
        tolvo::test::drag(view, wordPoint(view, *m_doc, 0, 0, 0), wordPoint(view, *m_doc, 0, 0, 2));
        const QString selected = view.currentSelection().text;
        QVERIFY(!selected.isEmpty());
        tolvo::test::click(view, QPointF(300, 300), Qt::ShiftModifier);
        QCOMPARE(hooks->shiftClicks, 1);
        QCOMPARE(view.currentSelection().text, selected); // untouched by the view
        tolvo::test::doubleClick(view, QPointF(320, 200));
        QCOMPARE(hooks->doubleClicks, 1);
        QCOMPARE(hooks->lastPoint, QPointF(320, 200));
    }

    void baseGesturesSelectWordsAndExtend()
    {
        PageView& view = open(FakeDocument::letterPages(2));
        tolvo::test::doubleClick(view, wordPoint(view, *m_doc, 0, 1, 1));
        QCOMPARE(view.currentSelection().text, QStringLiteral("p0l1b"));
        tolvo::test::click(view, wordPoint(view, *m_doc, 0, 0, 0));
        tolvo::test::click(view, wordPoint(view, *m_doc, 0, 0, 2), Qt::ShiftModifier);
        QCOMPARE(view.currentSelection().text, QStringLiteral("p0l0a p0l0b p0l0c"));
    }

    void selectionFromCodeScrollsIntoView()
    {
        PageView& view = open(FakeDocument::letterPages(60));
        const tolvo::pdf::TextSelection selection = m_doc->selectionForRect(40, QRectF(0, 0, 612, 792));
        view.setCurrentSelection(selection);
        view.scrollSelectionToVisible();
        const QRectF bounds = view.convertRectFromPage(selection.boundsForPage(40), 40);
        QVERIFY(QRectF(view.viewport()->rect()).contains(bounds));
        QCOMPARE(view.currentPage(), 40);
        QVERIFY(!view.canGoBack());
        QCOMPARE(view.currentSelection().text, selection.text);
    }

    void laterPagesAreMeasuredInTheBackground()
    {
        // Sizes change after the first pages: the view learns them without being asked.
        std::vector<PageGeometry> pages = FakeDocument::letterPages(300);
        for (size_t i = 100; i < pages.size(); ++i)
            pages[i] = FakeDocument::page(842, 595, i % 2 ? 90 : 0);
        PageView& view = open(pages);
        view.setScaleFactor(0.5);
        // A page gone to at once is measured at once.
        view.goToPage(250);
        QCOMPARE(view.currentPage(), 250);
        QCOMPARE(view.pageRectInView(250).size(), QSizeF(842, 595) * 0.5);
        QVERIFY(near(view.pageRectInView(250).top(), PageLayout::kMargin));
        QTRY_COMPARE(view.pageRectInView(151).size(), QSizeF(595, 842) * 0.5);
        QCOMPARE(view.currentPage(), 250);
        QVERIFY(near(view.pageRectInView(250).top(), PageLayout::kMargin)); // it stayed in place
        QCOMPARE(view.pageGeometry(299).rotation, 90);
    }

    void anEmptyDocumentShowsNothingAndTakesEveryCommand()
    {
        PageView& view = open({});
        QCOMPARE(view.currentPage(), -1);
        QCOMPARE(view.currentDestination().pageIndex, -1);
        view.goToPage(0);
        view.goToNextPage();
        view.goBack();
        view.zoomIn();
        view.setDisplayMode(DisplayMode::TwoUp);
        view.setDisplaysAsBook(true);
        view.setAutoScales(true);
        QTest::keyClick(&view, Qt::Key_End);
        tolvo::test::drag(view, QPointF(10, 10), QPointF(200, 200));
        tolvo::test::doubleClick(view, QPointF(50, 50));
        QCOMPARE(view.pageForPoint(QPointF(10, 10), true), -1);
        QVERIFY(view.visiblePages().isEmpty());
        QVERIFY(view.currentSelection().isEmpty());
        QVERIFY(!view.grab().isNull());
        view.setDocument(nullptr);
        QCOMPARE(view.pageCount(), 0);
    }

    void copyPutsTheSelectedTextOnTheClipboard()
    {
        PageView& view = open(FakeDocument::letterPages(1));
        QApplication::clipboard()->setText(QStringLiteral("before"));
        QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier); // nothing selected: the clipboard keeps its text
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("before"));
        tolvo::test::drag(view, wordPoint(view, *m_doc, 0, 0, 0), wordPoint(view, *m_doc, 0, 0, 1));
        QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("p0l0a p0l0b"));
    }

    void modeChangesKeepThePage()
    {
        PageView& view = open(FakeDocument::letterPages(40));
        view.setAutoScales(true);
        view.goToPage(21);
        QSignalSpy spy(&view, &PageView::displayModeChanged);
        for (DisplayMode mode : { DisplayMode::TwoUp, DisplayMode::SinglePage, DisplayMode::TwoUpContinuous,
                 DisplayMode::SinglePageContinuous }) {
            view.setDisplayMode(mode);
            QCOMPARE(view.displayMode(), mode);
            QVERIFY2(view.visiblePages().contains(21), qPrintable(QString::number(int(mode))));
        }
        QCOMPARE(spy.count(), 4);
    }
};

QTEST_MAIN(TestPageView)
#include "test_page_view.moc"
