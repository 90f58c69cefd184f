// SPDX-License-Identifier: GPL-3.0-or-later
// The page view and LabelPDFView over real PDFs: selection by dragging, coordinates
// on rotated and cropped pages, and the label box as it is drawn on screen.
#include "PageViewTestSupport.h"

#include "pageview/LabelPDFView.h"
#include "render/DisplaySpace.h"
#include "render/LabelOverlay.h"
#include "render/NightMode.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"

#include <QScrollBar>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QtTest>

using tolvo::pageview::DisplayMode;
using tolvo::pageview::LabelPDFView;
using tolvo::pageview::PageView;

Q_DECLARE_METATYPE(tolvo::PageStyle)

namespace {

QString fixture(const char* name)
{
    return qEnvironmentVariable("TOLVO_FIXTURES") + QLatin1Char('/') + QLatin1String(name);
}

std::unique_ptr<tolvo::pdf::Document> openFixture(const char* name)
{
    tolvo::pdf::OpenResult opened = tolvo::pdf::openDocument(fixture(name));
    if (!opened.document)
        qWarning() << opened.error;
    return std::move(opened.document);
}

// The view point at the centre of a word of the real text layer.
QPointF wordCentre(const PageView& view, const tolvo::pdf::Document& doc, int page, const QString& text)
{
    for (const tolvo::pdf::TextWord& word : doc.words(page))
        if (word.text == text)
            return view.convertPointFromPage(word.bounds.center(), page);
    qWarning() << "no word" << text << "on page" << page;
    return QPointF(-1, -1);
}

bool isRed(QRgb c)
{
    return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60;
}

} // namespace

class TestPageViewPdf : public QObject {
    Q_OBJECT
private slots:
    void dragSelectsInReadingOrder_data()
    {
        QTest::addColumn<int>("fromPage");
        QTest::addColumn<QString>("fromWord");
        QTest::addColumn<int>("toPage");
        QTest::addColumn<QString>("toWord");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QVector<int>>("pages");
        QTest::newRow("one line") << 0 << "beta" << 0 << "gamma"
                                  << "beta gamma" << QVector<int> { 0 };
        QTest::newRow("across a line break") << 0 << "beta" << 0 << "epsilon"
                                             << "beta gamma\ndelta epsilon" << QVector<int> { 0 };
        QTest::newRow("backwards") << 0 << "zeta" << 0 << "gamma"
                                   << "gamma\ndelta epsilon zeta" << QVector<int> { 0 };
        QTest::newRow("across pages") << 0 << "iota" << 1 << "lambda"
                                      << "iota\nkappa lambda" << QVector<int> { 0, 1 };
        QTest::newRow("across pages, upwards") << 1 << "nu" << 0 << "theta"
                                               << "theta iota\nkappa lambda mu\nnu" << QVector<int> { 0, 1 };
    }
    void dragSelectsInReadingOrder()
    {
        QFETCH(int, fromPage);
        QFETCH(QString, fromWord);
        QFETCH(int, toPage);
        QFETCH(QString, toWord);
        QFETCH(QString, text);
        QFETCH(QVector<int>, pages);
        const auto doc = openFixture("pageview-text.pdf");
        QVERIFY(doc);
        PageView view;
        view.resize(700, 900);
        view.show();
        view.setDocument(doc.get());
        view.setScaleFactor(0.5); // both pages in view
        QVERIFY(!view.pageRectInView(1).isNull());
        QVERIFY(view.visiblePages().contains(1));
        tolvo::test::drag(view, wordCentre(view, *doc, fromPage, fromWord), wordCentre(view, *doc, toPage, toWord));
        QCOMPARE(view.currentSelection().text, text);
        QCOMPARE(view.currentSelection().pages(), pages);
        // The highlight sits over the words: each line's bounds lie on its page in the view.
        for (const tolvo::pdf::SelectionLine& line : view.currentSelection().lines)
            QVERIFY(
                view.pageRectInView(line.pageIndex).contains(view.convertRectFromPage(line.bounds, line.pageIndex)));
    }

    void coordinatesOnRealRotatedAndCroppedPages_data()
    {
        QTest::addColumn<int>("page");
        for (int page = 0; page < 8; ++page)
            QTest::addRow("page %d", page + 1) << page;
    }
    void coordinatesOnRealRotatedAndCroppedPages()
    {
        QFETCH(int, page);
        const auto doc = openFixture("geometry.pdf");
        QVERIFY(doc);
        PageView view;
        view.setLogicalDpi(72); // actual size: one point, one logical pixel
        view.resize(900, 700);
        view.show();
        view.setDocument(doc.get());
        view.setScaleFactor(0.8);
        view.goToPage(page);
        const QRectF rect = view.pageRectInView(page);
        QCOMPARE(rect.size(), doc->pageGeometry(page).displaySize() * 0.8);
        // Every word of the page lies on the page as shown, and comes back where it was.
        const auto words = doc->words(page);
        QVERIFY(!words.empty());
        for (const tolvo::pdf::TextWord& word : words) {
            const QRectF inView = view.convertRectFromPage(word.bounds, page);
            QVERIFY2(rect.adjusted(-0.01, -0.01, 0.01, 0.01).contains(inView), qPrintable(word.text));
            QCOMPARE(view.pageForPoint(inView.center(), false), page);
            const QPointF back = view.convertPointToPage(inView.center(), page);
            QVERIFY(std::abs(back.x() - word.bounds.center().x()) < 1e-6);
            QVERIFY(std::abs(back.y() - word.bounds.center().y()) < 1e-6);
        }
        // A destination to a page-space point puts it at the view's top edge.
        const QPointF spot = words.front().bounds.center();
        view.goToDestination({ page, spot });
        if (view.verticalScrollBar()->value() < view.verticalScrollBar()->maximum())
            QVERIFY(std::abs(view.convertPointFromPage(spot, page).y()) < 1.0);
        QVERIFY(tolvo::test::waitForPages(view));
    }

    // The box on screen, page by page: plain, turned and cropped pages, every corner.
    void labelBoxOnScreen_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("corner"); // of the unrotated page
        QTest::newRow("top right") << "Top Right"
                                   << "TR";
        QTest::newRow("top left") << "Top Left"
                                  << "TL";
        QTest::newRow("bottom left") << "Bottom Left"
                                     << "BL";
        QTest::newRow("bottom right") << "Bottom Right"
                                      << "BR";
        QTest::newRow("hide") << "Hide"
                              << "";
    }
    void labelBoxOnScreen()
    {
        QFETCH(QString, option);
        QFETCH(QString, corner);
        QTemporaryDir dir;
        tolvo::Defaults defaults(dir.filePath(QStringLiteral("defaults.json")));
        tolvo::registerTolvoDefaults(defaults);
        defaults.setValue(QString::fromLatin1(tolvo::keys::kRedBoxLocation), option);
        const auto doc = openFixture("geometry.pdf");
        QVERIFY(doc);
        LabelPDFView view;
        view.setDefaults(&defaults);
        view.setPrefix(QStringLiteral("geometry/"));
        view.resize(1000, 800);
        view.setDisplayMode(DisplayMode::TwoUpContinuous);
        view.show();
        view.setDocument(doc.get());
        view.setScaleFactor(0.5);
        QVERIFY(tolvo::test::waitForPages(view));
        const QImage shot = view.viewport()->grab().toImage();
        const qreal dpr = shot.devicePixelRatio();
        for (int page : view.visiblePages()) {
            const QRectF rect = view.pageRectInView(page);
            if (!QRectF(view.viewport()->rect()).contains(rect))
                continue;
            const tolvo::pdf::PageGeometry g = doc->pageGeometry(page);
            // Which corner of the view each corner of the unrotated page shows in.
            const QTransform toView = tolvo::pageview::pageToDisplayTransform(g)
                * QTransform::fromScale(
                    rect.width() / g.displaySize().width(), rect.height() / g.displaySize().height())
                * QTransform::fromTranslate(rect.left(), rect.top());
            const QRectF c = g.cropBox;
            const QVector<std::pair<QString, QPointF>> corners = { { "BL", c.topLeft() }, { "BR", c.topRight() },
                { "TL", c.bottomLeft() }, { "TR", c.bottomRight() } };
            for (const auto& [name, point] : corners) {
                // Two pixels in from the corner, towards the page's centre.
                const QPointF at = toView.map(point + (c.center() - point) * (3.0 / c.width()));
                const QRgb pixel = shot.pixel((at * dpr).toPoint());
                QVERIFY2(isRed(pixel) == (name == corner),
                    qPrintable(QStringLiteral("page %1 corner %2").arg(page + 1).arg(name)));
            }
        }
        QCOMPARE(view.pageLabelLocation(), tolvo::pageview::pageLabelLocationForOption(option, QStringLiteral("Q4")));
    }

    // Night mode over images.pdf (tests/fixtures/fx_images.py): the photo's pixels stay as they
    // are when images are kept, the page and the stencil mask beside it turn either way.
    void nightModeKeepsImagesWhenAsked_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<tolvo::PageStyle>("style");
        for (const int page : { 0, 1 }) {
            const char* name = page == 0 ? "upright" : "cropped and turned";
            QTest::addRow("%s, day", name) << page << tolvo::PageStyle::Day;
            QTest::addRow("%s, night", name) << page << tolvo::PageStyle::Night;
            QTest::addRow("%s, night keeping images", name) << page << tolvo::PageStyle::NightKeepingImages;
        }
    }
    void nightModeKeepsImagesWhenAsked()
    {
        QFETCH(int, page);
        QFETCH(tolvo::PageStyle, style);
        const auto doc = openFixture("images.pdf");
        QVERIFY(doc);
        PageView view;
        view.setLogicalDpi(72);
        view.resize(900, 900);
        view.show();
        view.setDocument(doc.get());
        view.setScaleFactor(0.77); // the photo's top edge falls within a pixel
        view.goToPage(page);
        view.setNightMode(style != tolvo::PageStyle::Day);
        view.setNightKeepsImages(style == tolvo::PageStyle::NightKeepingImages);
        QCOMPARE(view.pageStyle(), style);
        QVERIFY(tolvo::test::waitForPages(view));
        const QImage shot = view.viewport()->grab().toImage();
        auto pixelAt = [&](const QPointF& pagePoint) {
            const QPointF at = view.convertPointFromPage(pagePoint, page) * shot.devicePixelRatio();
            return QColor(shot.pixel(at.toPoint()));
        };
        auto near = [](const QColor& a, const QColor& b) {
            return std::abs(a.red() - b.red()) <= 12 && std::abs(a.green() - b.green()) <= 12
                && std::abs(a.blue() - b.blue()) <= 12;
        };
        const QColor red(200, 40, 40); // the photo's top-left pixel, x 100..200, y 575..650
        const QColor turnedRed = QColor::fromRgb(tolvo::nightColour(red.rgb()));
        const bool night = style != tolvo::PageStyle::Day;
        const bool keep = style != tolvo::PageStyle::Night;
        const QColor paper = night ? Qt::black : Qt::white;
        for (const QPointF& inside : { QPointF(150, 612), QPointF(104, 646), QPointF(196, 579) })
            QVERIFY2(near(pixelAt(inside), keep ? red : turnedRed), qPrintable(pixelAt(inside).name()));
        for (const QPointF& outside : { QPointF(96, 612), QPointF(150, 654), QPointF(500, 200) })
            QVERIFY2(near(pixelAt(outside), paper), qPrintable(pixelAt(outside).name()));
        // Across the photo's top edge every pixel is the photo's or the paper's, none a turned
        // photo pixel beside a kept one.
        for (const double x : { 150.0, 250.0 }) {
            const QColor photo = x < 200 ? red : QColor(40, 160, 40);
            const QColor shown = keep ? photo : QColor::fromRgb(tolvo::nightColour(photo.rgb()));
            for (double y = 656; y > 644; y -= 0.25)
                QVERIFY2(near(pixelAt(QPointF(x, y)), paper) || near(pixelAt(QPointF(x, y)), shown),
                    qPrintable(QStringLiteral("%1 at %2,%3").arg(pixelAt(QPointF(x, y)).name()).arg(x).arg(y)));
        }
        // The stencil's gaps show the paper: it is no image.
        int paperInStencil = 0;
        for (double x = 102; x < 198; x += 1.5)
            paperInStencil += near(pixelAt(QPointF(x, 150)), paper);
        QVERIFY(paperInStencil > 10);
    }

    void theIconShowsOnItsPage()
    {
        QTemporaryDir dir;
        tolvo::Defaults defaults(dir.filePath(QStringLiteral("defaults.json")));
        tolvo::registerTolvoDefaults(defaults);
        defaults.setValue(QString::fromLatin1(tolvo::keys::kRedBoxLocation), QStringLiteral("Hide"));
        const auto doc = openFixture("pageview-text.pdf");
        QVERIFY(doc);
        LabelPDFView view;
        QVERIFY(view.targeticon() && view.targeticon()->isValid());
        view.setDefaults(&defaults);
        view.resize(700, 900);
        view.show();
        view.setDocument(doc.get());
        view.setScaleFactor(1);
        view.setIconLocationData(tolvo::pageview::makeIconLocationData(doc->pageLabel(0), QPointF(300, 300)));
        view.viewport()->update();
        QVERIFY(tolvo::test::waitForPages(view));
        const QImage shot = view.viewport()->grab().toImage();
        const QPointF centre = view.convertPointFromPage(QPointF(300, 300), 0) * shot.devicePixelRatio();
        int marked = 0;
        for (int dy = -9; dy <= 9; ++dy)
            for (int dx = -9; dx <= 9; ++dx)
                marked += qRed(shot.pixel(centre.toPoint() + QPoint(dx, dy))) > 120
                    && qGreen(shot.pixel(centre.toPoint() + QPoint(dx, dy))) < 120;
        QVERIFY(marked > 20);
    }
};

QTEST_MAIN(TestPageViewPdf)
#include "test_page_view_pdf.moc"
