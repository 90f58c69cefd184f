// SPDX-License-Identifier: GPL-3.0-or-later
// Page space and display space on rotated pages and on crop boxes away from the origin.
#include "pdf/PageSpace.h"
#include "render/DisplaySpace.h"
#include "render/LabelOverlay.h"

#include <QtTest>

using tolvo::pdf::PageGeometry;
namespace pv = tolvo::pageview;

namespace {

PageGeometry geometry(QRectF crop, int rotation)
{
    PageGeometry g;
    g.mediaBox = crop.adjusted(-30, -30, 30, 30);
    g.cropBox = crop;
    g.rotation = rotation;
    return g;
}

bool near(QPointF a, QPointF b)
{
    return std::abs(a.x() - b.x()) < 1e-9 && std::abs(a.y() - b.y()) < 1e-9;
}

} // namespace

class TestDisplaySpace : public QObject {
    Q_OBJECT
private slots:
    void corners_data()
    {
        QTest::addColumn<QRectF>("crop");
        QTest::addColumn<int>("rotation");
        QTest::addColumn<QSizeF>("shown");
        QTest::addColumn<QPointF>("topLeftCorner"); // the page-space corner that shows top-left
        const QRectF letter(0, 0, 612, 792);
        const QRectF away(100, 50, 400, 300);
        QTest::newRow("0") << letter << 0 << QSizeF(612, 792) << QPointF(0, 792);
        QTest::newRow("90") << letter << 90 << QSizeF(792, 612) << QPointF(0, 0);
        QTest::newRow("180") << letter << 180 << QSizeF(612, 792) << QPointF(612, 0);
        QTest::newRow("270") << letter << 270 << QSizeF(792, 612) << QPointF(612, 792);
        QTest::newRow("cropped 0") << away << 0 << QSizeF(400, 300) << QPointF(100, 350);
        QTest::newRow("cropped 90") << away << 90 << QSizeF(300, 400) << QPointF(100, 50);
        QTest::newRow("cropped 180") << away << 180 << QSizeF(400, 300) << QPointF(500, 50);
        QTest::newRow("cropped 270") << away << 270 << QSizeF(300, 400) << QPointF(500, 350);
        QTest::newRow("odd rotation counts as 0") << away << 45 << QSizeF(400, 300) << QPointF(100, 350);
    }
    void corners()
    {
        QFETCH(QRectF, crop);
        QFETCH(int, rotation);
        QFETCH(QSizeF, shown);
        QFETCH(QPointF, topLeftCorner);
        const PageGeometry g = geometry(crop, rotation);
        QCOMPARE(pv::displaySizeOf(g), shown);
        const QTransform toDisplay = pv::pageToDisplayTransform(g);
        QVERIFY(near(toDisplay.map(topLeftCorner), QPointF(0, 0)));
        QCOMPARE(toDisplay.mapRect(crop), QRectF(QPointF(0, 0), shown));

        // The same as the PDF services' own conversion and as the page transform of the label box
        // followed by its flip, for points inside and outside the page.
        const tolvo::pdf::PageTransform services(crop, pv::normalizedRotation(rotation));
        const QTransform labelTransform = pv::transformForPageInDisplaySpace(g);
        for (const QPointF& p :
            { crop.topLeft(), crop.center(), QPointF(crop.left() + 17.25, crop.top() + 3.5), QPointF(-40, 900) }) {
            QVERIFY2(near(toDisplay.map(p), services.toDisplay(p)), qPrintable(QString::number(p.x())));
            QVERIFY(near(toDisplay.map(p), labelTransform.map(p)));
            QVERIFY(near(pv::displayToPageTransform(g).map(toDisplay.map(p)), p));
        }
    }

    // The page transform leaves the page with its lower-left corner at the origin, y up.
    void pageTransformBounds_data()
    {
        QTest::addColumn<int>("rotation");
        QTest::addColumn<QSizeF>("size");
        QTest::newRow("0") << 0 << QSizeF(400, 300);
        QTest::newRow("90") << 90 << QSizeF(300, 400);
        QTest::newRow("180") << 180 << QSizeF(400, 300);
        QTest::newRow("270") << 270 << QSizeF(300, 400);
    }
    void pageTransformBounds()
    {
        QFETCH(int, rotation);
        QFETCH(QSizeF, size);
        const QRectF away(100, 50, 400, 300);
        const QRectF mapped = pv::transformForPage(geometry(away, rotation)).mapRect(away);
        QVERIFY(near(mapped.topLeft(), QPointF(0, 0)));
        QCOMPARE(mapped.size(), size);
    }
};

QTEST_GUILESS_MAIN(TestDisplaySpace)
#include "test_display_space.moc"
