// SPDX-License-Identifier: GPL-3.0-or-later
// A page drawn ahead of the view: taken when the view shows it at the planned scale and
// style, whether it is drawn by then or arrives later, and then never drawn again; dropped,
// and drawn by the workers, when the view's scale or style differs or no plan came in time.
#include "FakeDocument.h"
#include "PageViewTestSupport.h"

#include "pageview/PageView.h"
#include "pageview/ViewScale.h"
#include "render/DisplaySpace.h"
#include "render/PageAhead.h"

#include <QtTest>

#include <thread>

using tolvo::pageview::PageAhead;
using tolvo::pageview::PageView;
using tolvo::test::FakeDocument;

Q_DECLARE_METATYPE(tolvo::PageStyle)

namespace {

const QColor kAheadColour(0, 200, 0);

// The scale a view of that size draws the first page of doc at, fitting its width.
double predictedScale(const FakeDocument& doc, QSize viewport, double dpr)
{
    tolvo::pageview::FirstView view;
    for (int i = 0; i < doc.pageCount(); ++i)
        view.pageSizes.append(tolvo::pageview::displaySizeOf(doc.pageGeometry(i)));
    view.viewport = QSizeF(viewport);
    view.logicalDpi = 72;
    view.devicePixelRatio = dpr;
    return *tolvo::pageview::firstDrawingScale(view, 0);
}

QImage aheadImage(const FakeDocument& doc, double scale)
{
    const QSizeF size = doc.pageGeometry(0).displaySize() * scale;
    QImage image(qRound(size.width()), qRound(size.height()), QImage::Format_RGB32);
    image.fill(kAheadColour);
    return image;
}

int drawingsOf(FakeDocument& doc, int page)
{
    int count = 0;
    for (const auto& entry : doc.log()->snapshot())
        count += entry.pageIndex == page && !entry.aborted;
    return count;
}

} // namespace

class TestPageAhead : public QObject {
    Q_OBJECT

    enum class When { BeforeShow, AfterShow, NeverPlanned };

    // A view as the tests open it: 72 dpi, fitting the width, 600 by 500.
    static std::unique_ptr<PageView> makeView()
    {
        auto view = std::make_unique<PageView>();
        view->setLogicalDpi(72);
        view->setAutoScales(true);
        view->resize(600, 500);
        return view;
    }

private slots:
    void usedWhenTheViewMatches_data()
    {
        QTest::addColumn<int>("widthChange");
        QTest::addColumn<tolvo::PageStyle>("planned");
        QTest::addColumn<bool>("night");
        QTest::addColumn<int>("when");
        QTest::addColumn<bool>("used");
        using S = tolvo::PageStyle;
        for (When when : { When::BeforeShow, When::AfterShow }) {
            const char* at = when == When::BeforeShow ? "drawn before it shows" : "drawn after it shows";
            QTest::addRow("same size and style, %s", at) << 0 << S::Day << false << int(when) << true;
            QTest::addRow("night both, %s", at) << 0 << S::Night << true << int(when) << true;
            QTest::addRow("view at night, %s", at) << 0 << S::Day << true << int(when) << false;
            QTest::addRow("planned night, view by day, %s", at) << 0 << S::Night << false << int(when) << false;
            QTest::addRow("planned keeping images, %s", at) << 0 << S::NightKeepingImages << true << int(when) << false;
            QTest::addRow("window narrower, %s", at) << -40 << S::Day << false << int(when) << false;
            QTest::addRow("window a pixel wider, %s", at) << 1 << S::Day << false << int(when) << false;
        }
        QTest::newRow("no plan when it shows") << 0 << S::Day << false << int(When::NeverPlanned) << false;
    }
    void usedWhenTheViewMatches()
    {
        QFETCH(int, widthChange);
        QFETCH(tolvo::PageStyle, planned);
        QFETCH(bool, night);
        QFETCH(int, when);
        QFETCH(bool, used);

        // What a window of this size showed before: the view's viewport.
        FakeDocument doc(FakeDocument::letterPages(3));
        QSize viewport;
        double dpr = 1;
        {
            auto probe = makeView();
            probe->show();
            QVERIFY(QTest::qWaitForWindowExposed(probe.get()));
            viewport = probe->viewport()->size();
            dpr = probe->viewport()->devicePixelRatioF();
        }
        const double scale = predictedScale(doc, viewport, dpr);
        auto ahead = std::make_shared<PageAhead>();
        if (when != int(When::NeverPlanned))
            QVERIFY(ahead->start(PageAhead::Plan { 0, scale, planned }));
        if (when == int(When::BeforeShow))
            ahead->finish(aheadImage(doc, scale));

        auto view = makeView();
        view->resize(view->width() + widthChange, view->height());
        view->setNightMode(night);
        view->setDocument(&doc);
        view->setPageAhead(ahead);
        view->show();
        if (when == int(When::AfterShow)) {
            // Drawn on another thread while the view is on screen already.
            std::thread drawing([&] { ahead->finish(aheadImage(doc, scale)); });
            drawing.join();
        }
        QVERIFY(tolvo::test::waitForPages(*view));

        const QImage shot = view->viewport()->grab().toImage();
        const QPointF centre
            = view->convertPointFromPage(doc.pageGeometry(0).cropBox.center(), 0) * shot.devicePixelRatio();
        QCOMPARE(shot.pixelColor(centre.toPoint()) == kAheadColour, used);
        // Drawn once: by the thread ahead, or by the workers when the page was dropped.
        QCOMPARE(drawingsOf(doc, 0), used ? 0 : 1);
        QCOMPARE(ahead->state(), used ? PageAhead::State::Drawn : PageAhead::State::Dropped);
        QVERIFY(ahead->take().isNull()); // the view has it, or nobody does
    }

    void aViewThatNeverShowsLetsThePageGo()
    {
        FakeDocument doc(FakeDocument::letterPages(2));
        auto ahead = std::make_shared<PageAhead>();
        QVERIFY(ahead->start(PageAhead::Plan { 0, 1, tolvo::PageStyle::Day }));
        int called = 0;
        {
            auto view = makeView();
            view->setDocument(&doc);
            view->setPageAhead(ahead);
            QCoreApplication::processEvents();
            QCOMPARE(ahead->state(), PageAhead::State::Drawing);
            ahead->whenDone([&called] { ++called; });
        }
        // Gone with its view: a drawing that ends afterwards keeps nothing and tells nobody.
        QCOMPARE(ahead->state(), PageAhead::State::Dropped);
        ahead->finish(aheadImage(doc, 1));
        QVERIFY(ahead->take().isNull());
        QCOMPARE(called, 0);
        QVERIFY(!ahead->start(PageAhead::Plan { 0, 1, tolvo::PageStyle::Day }));
    }

    void aNewDocumentDropsThePage()
    {
        FakeDocument first(FakeDocument::letterPages(2));
        FakeDocument second(FakeDocument::letterPages(2));
        auto ahead = std::make_shared<PageAhead>();
        auto view = makeView();
        view->setDocument(&first);
        view->setPageAhead(ahead);
        view->setDocument(&second);
        QCOMPARE(ahead->state(), PageAhead::State::Dropped);
    }
};

QTEST_MAIN(TestPageAhead)
#include "test_page_ahead.moc"
