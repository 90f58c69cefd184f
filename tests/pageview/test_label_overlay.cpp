// SPDX-License-Identifier: GPL-3.0-or-later
// The prefix and page label box: its options, its rectangle, its font size, and
// where it lands on plain, rotated and cropped pages.
#include "render/DisplaySpace.h"
#include "render/LabelOverlay.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QImage>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QtTest>

using tolvo::pdf::PageGeometry;
namespace pv = tolvo::pageview;

namespace {

PageGeometry geometry(QRectF crop, int rotation = 0)
{
    PageGeometry g;
    g.mediaBox = crop;
    g.cropBox = crop;
    g.rotation = rotation;
    return g;
}

bool isRed(QRgb c)
{
    return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60;
}

// Draws one page's overlay on white at one pixel per point.
QImage drawn(const PageGeometry& g, const pv::LabelOverlay& overlay)
{
    const QSize size = pv::displaySizeOf(g).toSize();
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    pv::drawLabelOverlay(painter, g, overlay);
    painter.end();
    return image;
}

// The first size that overflows, found independently of the fitting loop.
int firstOverflowingSize(const QSizeF& area, const QString& text)
{
    for (int size = 1;; ++size) {
        const QFontMetricsF m(pv::labelFont(QString::fromLatin1(pv::kLabelFontName), size, true));
        if (m.horizontalAdvance(text) > area.width() || m.height() > area.height())
            return size;
    }
}

} // namespace

class TestLabelOverlay : public QObject {
    Q_OBJECT
private slots:
    void locationOption_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("location");
        QTest::newRow("top right") << "Top Right"
                                   << "Q4"
                                   << "Q1";
        QTest::newRow("top left") << "Top Left"
                                  << "Q4"
                                  << "Q2";
        QTest::newRow("bottom left") << "Bottom Left"
                                     << "Q1"
                                     << "Q3";
        QTest::newRow("bottom right") << "Bottom Right"
                                      << "Q1"
                                      << "Q4";
        QTest::newRow("hide") << "Hide"
                              << "Q1"
                              << "None";
        QTest::newRow("unknown keeps the corner") << "Middle"
                                                  << "Q2"
                                                  << "Q2";
        QTest::newRow("case matters") << "top right"
                                      << "Q4"
                                      << "Q4";
        QTest::newRow("empty keeps the corner") << ""
                                                << "Q3"
                                                << "Q3";
    }
    void locationOption()
    {
        QFETCH(QString, option);
        QFETCH(QString, current);
        QFETCH(QString, location);
        QCOMPARE(pv::pageLabelLocationForOption(option, current), location);
    }

    // The examples of a 612 by 792 page, at every corner.
    void boxRect_data()
    {
        QTest::addColumn<QString>("size");
        QTest::addColumn<QString>("location");
        QTest::addColumn<QRectF>("pageBox");
        QTest::addColumn<QSizeF>("boxSize");
        QTest::addColumn<QPointF>("lowerLeft");
        const QRectF letter(0, 0, 612, 792);
        const float fSmallX = 1.0f - 1.0f / 5, fSmallY = 1.0f - 1.0f / 22;
        const float fMediumX = 1.0f - 1.0f / 4, fMediumY = 1.0f - 1.0f / 20;
        const float fLargeX = 1.0f - 1.0f / 3, fLargeY = 1.0f - 1.0f / 18;
        QTest::newRow("small Q4") << "Small"
                                  << "Q4" << letter << QSizeF(122.4, 36) << QPointF(612 * double(fSmallX), 0);
        QTest::newRow("small Q1") << "Small"
                                  << "Q1" << letter << QSizeF(122.4, 36)
                                  << QPointF(612 * double(fSmallX), 792 * double(fSmallY));
        QTest::newRow("medium Q2") << "Medium"
                                   << "Q2" << letter << QSizeF(153, 39.6) << QPointF(0, 792 * double(fMediumY));
        QTest::newRow("medium Q3") << "Medium"
                                   << "Q3" << letter << QSizeF(153, 39.6) << QPointF(0, 0);
        QTest::newRow("large Q1") << "Large"
                                  << "Q1" << letter << QSizeF(204, 44)
                                  << QPointF(612 * double(fLargeX), 792 * double(fLargeY));
        QTest::newRow("unknown size is medium")
            << "Huge"
            << "Q4" << letter << QSizeF(153, 39.6) << QPointF(612 * double(fMediumX), 0);
        QTest::newRow("unknown location is bottom right")
            << "Medium"
            << "Q9" << letter << QSizeF(153, 39.6) << QPointF(612 * double(fMediumX), 0);
        QTest::newRow("box away from the origin") << "Medium"
                                                  << "Q1" << QRectF(100, 50, 400, 300) << QSizeF(100, 15)
                                                  << QPointF(100 + 400 * double(fMediumX), 50 + 300 * double(fMediumY));
    }
    void boxRect()
    {
        QFETCH(QString, size);
        QFETCH(QString, location);
        QFETCH(QRectF, pageBox);
        QFETCH(QSizeF, boxSize);
        QFETCH(QPointF, lowerLeft);
        const QRectF box = pv::labelBoxRect(pageBox, location, pv::boxDivisorsForOption(size));
        QCOMPARE(box.size(), boxSize);
        QCOMPARE(box.topLeft(), lowerLeft); // y up: QRectF's top is the lower edge
        // It touches two edges of the page box.
        const bool left = qFuzzyCompare(box.left(), pageBox.left());
        const bool right = std::abs(box.right() - pageBox.right()) < 1e-3;
        const bool bottom = qFuzzyCompare(box.top(), pageBox.top());
        const bool top = std::abs(box.bottom() - pageBox.bottom()) < 1e-3;
        QVERIFY(left != right);
        QVERIFY(bottom != top);
    }

    void fontSize_data()
    {
        QTest::addColumn<QSizeF>("area");
        QTest::addColumn<QString>("text");
        QTest::newRow("small box") << QSizeF(122.4, 36) << "manual/12";
        QTest::newRow("medium box") << QSizeF(153, 39.6) << "manual/12";
        QTest::newRow("large box") << QSizeF(204, 44) << "manual/12";
        QTest::newRow("long text is narrow") << QSizeF(153, 39.6) << "a-rather-long-prefix-for-a-pdf/xlviii";
        QTest::newRow("empty text: the height decides") << QSizeF(153, 39.6) << "";
    }
    void fontSize()
    {
        QFETCH(QSizeF, area);
        QFETCH(QString, text);
        const double size = pv::fontSizeForAreaSize(area, text, QString::fromLatin1(pv::kLabelFontName));
        QCOMPARE(size, double(firstOverflowingSize(area, text) - 2));
        QVERIFY(size > 0);
        // The regular weight at that size leaves a margin in the box.
        const QFontMetricsF regular(pv::labelFont(QString::fromLatin1(pv::kLabelFontName), int(size), false));
        QVERIFY(regular.horizontalAdvance(text) < area.width());
        QVERIFY(regular.height() < area.height());
        // Asked again, the same answer.
        QCOMPARE(pv::fontSizeForAreaSize(area, text, QString::fromLatin1(pv::kLabelFontName)), size);
    }

    void fontSizeEdges()
    {
        const QString font = QString::fromLatin1(pv::kLabelFontName);
        QCOMPARE(pv::fontSizeForAreaSize(QSizeF(0, 0), QStringLiteral("x/1"), font), 0.0);
        // Text that overflows at size 1 gives -1; a zero-height box 0 at most.
        QCOMPARE(pv::fontSizeForAreaSize(QSizeF(0.5, 0.5), QStringLiteral("prefix/1"), font), -1.0);
        QVERIFY(pv::fontSizeForAreaSize(QSizeF(300, 0), QStringLiteral("x"), font) <= 0);
        // Bigger boxes never give smaller sizes.
        double previous = -10;
        for (double w = 20; w < 400; w += 37) {
            const double s = pv::fontSizeForAreaSize(QSizeF(w, w / 4), QStringLiteral("prefix/iv"), font);
            QVERIFY(s >= previous);
            previous = s;
        }
    }

    void overlongLabelIsCut_data()
    {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("shown");
        const QString a255(255, QLatin1Char('a'));
        const QString pair = QString::fromUtf16(u"\U0001D400"); // one character, two UTF-16 units
        QTest::newRow("short") << "m/"
                               << "xlviii"
                               << "m/xlviii";
        QTest::newRow("exactly the longest")
            << "p/" << QString(254, QLatin1Char('L')) << "p/" + QString(254, QLatin1Char('L'));
        QTest::newRow("one more") << "" << a255 + "bc" << a255.left(255) + QChar(0x2026);
        QTest::newRow("cut would split a pair") << "" << a255.left(254) + pair + "zz" << a255.left(254) + QChar(0x2026);
        QTest::newRow("hostile length") << "x/" << QString(200000, QLatin1Char('L'))
                                        << "x/" + QString(253, QLatin1Char('L')) + QChar(0x2026);
    }
    void overlongLabelIsCut()
    {
        QFETCH(QString, prefix);
        QFETCH(QString, label);
        QFETCH(QString, shown);
        QCOMPARE(pv::labelOverlayText(prefix, label), shown);
    }

    void fallbackFontIsInstalled()
    {
        const QString family = pv::resolvedFontFamily(QString::fromLatin1(pv::kLabelFontName));
        QVERIFY(!family.isEmpty());
        QVERIFY(QFontDatabase::hasFamily(family));
        // The heavier weight is truly heavier.
        QVERIFY(pv::labelFont(QString::fromLatin1(pv::kLabelFontName), 12, true).weight() > QFont::Normal);
    }

    // Where the box lands as shown: on a rotated page it keeps its corner of the unrotated page.
    void boxLandsInItsCorner_data()
    {
        QTest::addColumn<QRectF>("crop");
        QTest::addColumn<int>("rotation");
        QTest::addColumn<QString>("location");
        QTest::addColumn<QString>("shownCorner"); // of the displayed page: TL, TR, BL, BR
        const QRectF letter(0, 0, 612, 792);
        const QRectF away(100, 50, 400, 500);
        QTest::newRow("0 Q1") << letter << 0 << "Q1"
                              << "TR";
        QTest::newRow("0 Q2") << letter << 0 << "Q2"
                              << "TL";
        QTest::newRow("0 Q3") << letter << 0 << "Q3"
                              << "BL";
        QTest::newRow("0 Q4") << letter << 0 << "Q4"
                              << "BR";
        QTest::newRow("90 Q4") << letter << 90 << "Q4"
                               << "BL";
        QTest::newRow("90 Q1") << letter << 90 << "Q1"
                               << "BR";
        QTest::newRow("180 Q4") << letter << 180 << "Q4"
                                << "TL";
        QTest::newRow("270 Q4") << letter << 270 << "Q4"
                                << "TR";
        QTest::newRow("270 Q2") << letter << 270 << "Q2"
                                << "BL";
        QTest::newRow("cropped 0 Q4") << away << 0 << "Q4"
                                      << "BR";
        QTest::newRow("cropped 90 Q2") << away << 90 << "Q2"
                                       << "TR";
        QTest::newRow("cropped 180 Q3") << away << 180 << "Q3"
                                        << "TR";
    }
    void boxLandsInItsCorner()
    {
        QFETCH(QRectF, crop);
        QFETCH(int, rotation);
        QFETCH(QString, location);
        QFETCH(QString, shownCorner);
        pv::LabelOverlay overlay;
        overlay.location = location;
        overlay.prefix = QStringLiteral("manual/");
        overlay.pageLabel = QStringLiteral("12");
        const QImage image = drawn(geometry(crop, rotation), overlay);
        const int w = image.width(), h = image.height();
        const QPoint corners[] = { { 3, 3 }, { w - 4, 3 }, { 3, h - 4 }, { w - 4, h - 4 } };
        const QStringList names = { "TL", "TR", "BL", "BR" };
        for (int i = 0; i < 4; ++i)
            QVERIFY2(isRed(image.pixel(corners[i])) == (names[i] == shownCorner), qPrintable(names[i]));
        // The text is drawn, in white, inside the box.
        const QRectF box = pv::pageToDisplayTransform(geometry(crop, rotation))
                               .mapRect(pv::labelBoxRect(crop, location, pv::BoxDivisors { 4, 20 }));
        int white = 0;
        for (int y = int(box.top()) + 2; y < int(box.bottom()) - 2; ++y)
            for (int x = int(box.left()) + 2; x < int(box.right()) - 2; ++x)
                white += qRed(image.pixel(x, y)) > 200 && qGreen(image.pixel(x, y)) > 200;
        QVERIFY(white > 20);
    }

    void hideDrawsNoBoxButTheIcon()
    {
        QSvgRenderer icon(pv::targetIconResourcePath());
        QVERIFY(icon.isValid());
        pv::LabelOverlay overlay;
        overlay.location = QString::fromLatin1(pv::kLocationNone);
        overlay.iconPoint = QPointF(300, 400);
        overlay.icon = &icon;
        const QImage image = drawn(geometry(QRectF(0, 0, 612, 792)), overlay);
        QVERIFY(!isRed(image.pixel(608, 788)));
        // The icon sits centred on the point (display y = 792 - 400), within 20 by 20.
        int marked = 0, outside = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) != qRgb(255, 255, 255)) {
                    const bool inside = std::abs(x + 0.5 - 300) <= 10 && std::abs(y + 0.5 - 392) <= 10;
                    (inside ? marked : outside) += 1;
                }
        QVERIFY(marked > 40);
        QCOMPARE(outside, 0);
    }

    void textThatCannotFitIsDrawnAtTheMinimum()
    {
        // A box of 10 by 2 points fits no text (the fitting gives -1): the text still shows, at the minimum size.
        const PageGeometry g = geometry(QRectF(0, 0, 40, 40));
        pv::LabelOverlay overlay;
        overlay.location = QStringLiteral("Q3");
        overlay.prefix = QStringLiteral("prefix/");
        overlay.pageLabel = QStringLiteral("1");
        const QRectF box = pv::labelBoxRect(g.cropBox, overlay.location, pv::BoxDivisors { 4, 20 });
        QVERIFY(pv::fontSizeForAreaSize(
                    box.size(), overlay.prefix + overlay.pageLabel, QString::fromLatin1(pv::kLabelFontName))
            <= 0);
        // Drawn with room around the page, since the text is wider than the page's corner.
        QImage image(100, 100, QImage::Format_RGB32);
        image.fill(qRgb(0, 0, 128));
        QPainter painter(&image);
        painter.translate(30, 30);
        pv::drawLabelOverlay(painter, g, overlay);
        painter.end();
        int white = 0;
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 100; ++x)
                white += qGreen(image.pixel(x, y)) > 150;
        QVERIFY(white > 10);
        QPainter again(&image);
        // ...and a zero-sized page draws without harm.
        pv::drawLabelOverlay(again, geometry(QRectF(0, 0, 0, 0)), overlay);
    }

    void iconLocationData_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QPointF>("point");
        QTest::newRow("made here") << pv::makeIconLocationData("xii", QPointF(72.5, 700.25)) << true << "xii"
                                   << QPointF(72.5, 700.25);
        QTest::newRow("negative and exponent")
            << pv::makeIconLocationData("1", QPointF(-3, 1e-7)) << true << "1" << QPointF(-3, 1e-7);
        QTest::newRow("empty") << QByteArray() << false << "" << QPointF();
        QTest::newRow("not json") << QByteArray("{x") << false << "" << QPointF();
        QTest::newRow("bad point") << QByteArray(R"({"pageLabel":"1","pagePointAsString":"{a, 2}"})") << false << ""
                                   << QPointF();
        QTest::newRow("no label") << QByteArray(R"({"pagePointAsString":"{1, 2}"})") << false << "" << QPointF();
        QTest::newRow("spaces") << QByteArray(R"({"pageLabel":"2","pagePointAsString":" { 1 ,2 } "})") << true << "2"
                                << QPointF(1, 2);
    }
    void iconLocationData()
    {
        QFETCH(QByteArray, data);
        QFETCH(bool, valid);
        QFETCH(QString, label);
        QFETCH(QPointF, point);
        const auto read = pv::readIconLocationData(data);
        QCOMPARE(read.has_value(), valid);
        if (valid) {
            QCOMPARE(read->first, label);
            QCOMPARE(read->second, point);
        }
    }

    void optionsAreReadFromTheStore()
    {
        QTemporaryDir dir;
        tolvo::Defaults defaults(dir.filePath(QStringLiteral("defaults.json")));
        tolvo::registerTolvoDefaults(defaults);
        pv::LabelOverlay overlay;
        overlay.location = QStringLiteral("Q4");
        defaults.setValue(QString::fromLatin1(tolvo::keys::kRedBoxLocation), QStringLiteral("Top Right"));
        defaults.setValue(QString::fromLatin1(tolvo::keys::kRedBoxSize), QStringLiteral("Large"));
        pv::readLabelBoxOptions(defaults, overlay);
        QCOMPARE(overlay.location, QStringLiteral("Q1"));
        QCOMPARE(overlay.divisors.width, 3);
        QCOMPARE(overlay.divisors.height, 18);
        defaults.setValue(QString::fromLatin1(tolvo::keys::kRedBoxLocation), QStringLiteral("Sideways"));
        defaults.setValue(QString::fromLatin1(tolvo::keys::kRedBoxSize), QStringLiteral("Tiny"));
        pv::readLabelBoxOptions(defaults, overlay);
        QCOMPARE(overlay.location, QStringLiteral("Q1"));
        QCOMPARE(overlay.divisors.width, 4);
        QCOMPARE(overlay.divisors.height, 20);
    }
};

QTEST_MAIN(TestLabelOverlay)
#include "test_label_overlay.moc"
