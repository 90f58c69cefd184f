// SPDX-License-Identifier: GPL-3.0-or-later
// The first page of a PDF opened from the command line, drawn ahead of its window: what the
// windows shown before teach about the page view's size, and a window that shows the page
// drawn ahead when it shows it at that scale and style, and draws it afresh when not, so
// that no page shows at a wrong scale or in the wrong style and none is drawn twice.
#include "document/DocumentController.h"
#include "document/MyDocument.h"
#include "document/OpenAhead.h"
#include "document/RememberedPlaces.h"
#include "pageview/LabelPDFView.h"
#include "pageview/ViewScale.h"
#include "render/DisplaySpace.h"
#include "render/ImageCache.h"
#include "render/PageRenderer.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"
#include "settings/FirstViewMemory.h"
#include "settings/PlaceMemory.h"
#include "support/ScratchStore.h"
#include "support/WindowWaits.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace tolvo;

namespace {

QString fixture(const QString& name)
{
    return qEnvironmentVariable("TOLVO_FIXTURES") + QStringLiteral("/docwin/") + name;
}

ShownView shownView(QSize asked, QSize window, QSizeF viewport)
{
    return ShownView { asked, window, viewport, 96, 1 };
}

} // namespace

class TestFirstPageAhead : public QObject {
    Q_OBJECT

    test::ScratchStore m_store;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<PlaceMemory> m_places;
    std::unique_ptr<FirstViewMemory> m_views;
    std::unique_ptr<DocumentController> m_controller;

    void closeAll()
    {
        for (MyDocument* document : m_controller->documents())
            document->close();
        QTRY_VERIFY(m_controller->documents().isEmpty());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

private slots:
    void initTestCase() { m_store.useAsConfigHome(); }

    void init()
    {
        m_store.renew();
        m_dir = std::make_unique<QTemporaryDir>();
        m_places = std::make_unique<PlaceMemory>(m_dir->filePath(QStringLiteral("places.json")));
        m_views = std::make_unique<FirstViewMemory>(m_dir->filePath(QStringLiteral("first-view.json")));
        DocumentEnvironment env = m_store.environment();
        env.places = m_places.get();
        env.firstViews = m_views.get();
        m_controller = std::make_unique<DocumentController>(env);
    }

    void cleanup()
    {
        closeAll();
        m_controller.reset();
    }

    void viewMemory_data()
    {
        QTest::addColumn<QList<ShownView>>("shown"); // oldest first
        QTest::addColumn<QSize>("asked");
        QTest::addColumn<QSizeF>("viewport"); // empty: none foreseen
        const QSize own;
        const QList<ShownView> one { shownView(own, QSize(1100, 760), QSizeF(585, 707)) };
        QTest::newRow("nothing shown yet") << QList<ShownView> {} << own << QSizeF();
        QTest::newRow("its own size") << one << own << QSizeF(585, 707);
        QTest::newRow("a size not seen: the panes keep theirs") << one << QSize(1000, 700) << QSizeF(485, 647);
        QTest::newRow("a size seen") << QList<ShownView> { one[0],
            shownView(QSize(900, 700), QSize(900, 700), QSizeF(300, 640)) }
                                     << QSize(900, 700) << QSizeF(300, 640);
        QTest::newRow("the latest of one size")
            << QList<ShownView> { one[0], shownView(own, QSize(1100, 760), QSizeF(600, 707)) } << own
            << QSizeF(600, 707);
        QTest::newRow("its own size, only others seen")
            << QList<ShownView> { shownView(QSize(900, 700), QSize(900, 700), QSizeF(300, 640)) } << own << QSizeF();
        QTest::newRow("too small to leave a view") << one << QSize(500, 100) << QSizeF();
    }
    void viewMemory()
    {
        QFETCH(QList<ShownView>, shown);
        QFETCH(QSize, asked);
        QFETCH(QSizeF, viewport);
        for (const ShownView& view : shown)
            QVERIFY(m_views->remember(view));
        const std::optional<ShownView> found = m_views->viewFor(asked);
        QCOMPARE(found.has_value(), !viewport.isEmpty());
        if (found)
            QCOMPARE(found->viewport, viewport);
    }

    void damagedViewMemoryIsNoMemory_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::newRow("not JSON") << QByteArray("{\"views\":[{\"window\":");
        QTest::newRow("negative size") << QByteArray(
            R"({"views":[{"window":[1,1],"viewport":[-5,4],"dpi":96,"dpr":1}]})");
        QTest::newRow("no resolution") << QByteArray(R"({"views":[{"window":[1,1],"viewport":[5,4]}]})");
        QTest::newRow("a list") << QByteArray("[1,2,3]");
    }
    void damagedViewMemoryIsNoMemory()
    {
        QFETCH(QByteArray, contents);
        QFile file(m_dir->filePath(QStringLiteral("first-view.json")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(contents);
        file.close();
        QVERIFY(!m_views->viewFor(QSize()));
        // And it is written over by the next window.
        QVERIFY(m_views->remember(shownView(QSize(), QSize(800, 600), QSizeF(400, 500))));
        QCOMPARE(m_views->viewFor(QSize())->viewport, QSizeF(400, 500));
    }

    void firstPageDrawnAhead_data()
    {
        QTest::addColumn<bool>("plannedAtNight");
        QTest::addColumn<bool>("night");
        QTest::addColumn<int>("layoutChange"); // since the view was learnt, in pixels
        QTest::addColumn<bool>("remembered"); // a place with a window size and a zoom of its own
        QTest::addColumn<int>("page"); // the page the place was left at, and the window shows first
        QTest::addColumn<bool>("keepsImages"); // at night, planned and shown
        QTest::addColumn<bool>("used");
        // The window is made once the PDF is read, or (no wait) while it is still being read.
        QTest::addColumn<bool>("waited");
        QTest::newRow("as the last window showed it") << false << false << 0 << false << 0 << false << true << true;
        QTest::newRow("night in both") << true << true << 0 << false << 0 << false << true << true;
        QTest::newRow("night keeping images in both") << true << true << 0 << false << 0 << true << true << true;
        QTest::newRow("night mode turned on since") << false << true << 0 << false << 0 << false << false << true;
        QTest::newRow("night mode turned off since") << true << false << 0 << false << 0 << false << false << true;
        QTest::newRow("the window's panes changed since")
            << false << false << -60 << false << 0 << false << false << true;
        QTest::newRow("a remembered window size and zoom") << false << false << 0 << true << 0 << false << true << true;
        QTest::newRow("window made while the PDF is read")
            << false << false << 0 << false << 0 << false << true << false;
        QTest::newRow("night keeping images, made while read")
            << true << true << 0 << false << 0 << true << true << false;
        QTest::newRow("reopened where it was left") << false << false << 0 << true << 5 << false << true << true;
        QTest::newRow("reopened where it was left, made while read")
            << false << false << 0 << true << 5 << false << true << false;
    }
    void firstPageDrawnAhead()
    {
        QFETCH(bool, plannedAtNight);
        QFETCH(bool, night);
        QFETCH(int, layoutChange);
        QFETCH(bool, remembered);
        QFETCH(int, page);
        QFETCH(bool, keepsImages);
        QFETCH(bool, used);
        QFETCH(bool, waited);
        const QString path = fixture("Report.pdf");
        if (remembered) {
            RememberedPlace place;
            place.autoScales = false;
            place.scale = 1.25;
            place.windowSize = QSize(900, 700);
            place.pageIndex = page;
            QVERIFY(m_places->remember(RememberedPlaces::identityOf(path), path, place));
        }
        // Windows show and teach what their page view is like (the first window of all leaves
        // its panes' widths to the next ones).
        for (int i = 0; i < 2; ++i) {
            QVERIFY(test::waitForFirstPositioning(m_controller->openDocument(path)));
            closeAll();
        }
        const QSize asked = remembered ? QSize(900, 700) : QSize();
        std::optional<ShownView> learnt = m_views->viewFor(asked);
        QVERIFY(learnt);
        QCOMPARE(learnt->asked, asked);
        learnt->viewport.rwidth() += layoutChange;
        QVERIFY(m_views->remember(*learnt));

        m_store.defaults->setValue(QString::fromLatin1(keys::kNightMode), night);
        m_store.defaults->setValue(QString::fromLatin1(keys::kNightModeKeepsImages), keepsImages);
        const PageStyle nightStyle = keepsImages ? PageStyle::NightKeepingImages : PageStyle::Night;
        const FirstPageInputs inputs { plannedAtNight ? nightStyle : PageStyle::Day, m_places->filePath(),
            m_dir->filePath(QStringLiteral("first-view.json")) };
        OpenAhead ahead(path, inputs);
        if (waited)
            ahead.wait();
        MyDocument* document = m_controller->openDocument(path);
        QVERIFY(document);
        pageview::LabelPDFView* view = document->pdfview();
        // The first frame shows where the PDF was left, not its first page until the window's
        // first positioning moves there.
        QVERIFY(!document->isFirstPositioningDone());
        QCOMPARE(view->currentPage(), page);
        QSignalSpy drawn(view->findChild<pageview::PageRenderer*>(), &pageview::PageRenderer::pageRendered);
        QTRY_VERIFY(view->visiblePagesReady());
        QVERIFY(view->visiblePages().contains(page));
        QCOMPARE(view->nightMode(), night);
        if (!used)
            QTRY_VERIFY(!drawn.isEmpty());
        // The page drawn ahead, or once afresh by the window's own drawing, at the scale it is shown
        // at. While a new window's panes settle, the page may also be drawn at widths it passes
        // through on the way; those drawings are not what is counted here.
        const qint64 shown = pageview::PageImageKey::keyForScale(
            pageview::drawingScale(pageview::displaySizeOf(view->pageGeometry(page)), view->pixelsPerPoint(),
                view->viewport()->devicePixelRatioF()));
        int firstPageDrawings = 0;
        for (const QList<QVariant>& args : drawn)
            firstPageDrawings
                += args.at(0).toInt() == page && pageview::PageImageKey::keyForScale(args.at(1).toDouble()) == shown;
        // A window made while the PDF is read may show before the drawing ahead has begun, and
        // then draws the page itself: once, either way.
        if (waited)
            QCOMPARE(firstPageDrawings, used ? 0 : 1);
        else
            QVERIFY(firstPageDrawings <= 1);
        // Whichever it was, it is the page in the window's style: mostly paper, light by day
        // and dark at night.
        const QImage shot = view->viewport()->grab().toImage();
        const QRect paper = (view->pageRectInView(page) & QRectF(view->viewport()->rect())).toAlignedRect();
        QVERIFY(!paper.isEmpty());
        double lightness = 0;
        for (int y = paper.top(); y <= paper.bottom(); ++y)
            for (int x = paper.left(); x <= paper.right(); ++x)
                lightness += shot.pixelColor(QPoint(x, y) * shot.devicePixelRatio()).lightness();
        lightness /= double(paper.width()) * paper.height();
        QCOMPARE(lightness > 128, !night);
    }
};

QTEST_MAIN(TestFirstPageAhead)
#include "test_first_page_ahead.moc"
