// SPDX-License-Identifier: GPL-3.0-or-later
// Page placement in every display mode, at every scale, and automatic scaling.
#include "pageview/PageLayout.h"

#include <QtTest>

using tolvo::pageview::DisplayMode;
using tolvo::pageview::PageLayout;

Q_DECLARE_METATYPE(DisplayMode)
Q_DECLARE_METATYPE(tolvo::pageview::PageLayout::Fit)

namespace {

constexpr double M = PageLayout::kMargin;
constexpr double G = PageLayout::kGap;

QVector<QSizeF> letters(int count)
{
    return QVector<QSizeF>(count, QSizeF(612, 792));
}

QString rowsText(const PageLayout& layout)
{
    QStringList parts;
    for (const PageLayout::Row& row : layout.rows())
        parts << QStringLiteral("%1,%2").arg(row.left).arg(row.right);
    return parts.join(QLatin1Char(' '));
}

} // namespace

class TestPageLayout : public QObject {
    Q_OBJECT
private slots:
    void rows_data()
    {
        QTest::addColumn<DisplayMode>("mode");
        QTest::addColumn<bool>("book");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("rows");
        QTest::newRow("single, book ignored") << DisplayMode::SinglePage << true << 3 << "0,-1 1,-1 2,-1";
        QTest::newRow("continuous") << DisplayMode::SinglePageContinuous << false << 2 << "0,-1 1,-1";
        QTest::newRow("two-up even") << DisplayMode::TwoUp << false << 4 << "0,1 2,3";
        QTest::newRow("two-up odd: last page left") << DisplayMode::TwoUpContinuous << false << 3 << "0,1 2,-1";
        QTest::newRow("book: cover alone on the right") << DisplayMode::TwoUp << true << 4 << "-1,0 1,2 3,-1";
        QTest::newRow("book of one page") << DisplayMode::TwoUpContinuous << true << 1 << "-1,0";
        QTest::newRow("no pages") << DisplayMode::TwoUp << true << 0 << "";
    }
    void rows()
    {
        QFETCH(DisplayMode, mode);
        QFETCH(bool, book);
        QFETCH(int, count);
        QFETCH(QString, rows);
        PageLayout layout;
        layout.setPages(letters(count), mode, book);
        QCOMPARE(rowsText(layout), rows);
        for (int p = 0; p < count; ++p) {
            const PageLayout::Row& row = layout.rows()[layout.rowOfPage(p)];
            QVERIFY(row.left == p || row.right == p);
        }
    }

    // Rectangles in the scrollable area: margins and gaps stay in pixels, pages scale.
    void rects_data()
    {
        QTest::addColumn<DisplayMode>("mode");
        QTest::addColumn<bool>("book");
        QTest::addColumn<double>("scale");
        QTest::addColumn<int>("shownPage");
        QTest::addColumn<QVector<QRectF>>("rects"); // pages 0..2; null when not laid out
        QTest::addColumn<QSizeF>("documentSize");
        const QSizeF viewport(800, 600);
        const double w = 306, h = 396; // a letter page at scale 0.5
        QTest::newRow("continuous at 0.5")
            << DisplayMode::SinglePageContinuous << false << 0.5 << 0
            << QVector<QRectF> { QRectF(400 - w / 2, M, w, h), QRectF(400 - w / 2, M + h + G, w, h),
                   QRectF(400 - w / 2, M + 2 * (h + G), w, h) }
            << QSizeF(800, 3 * h + 2 * G + 2 * M);
        QTest::newRow("continuous at 2: wider than the viewport")
            << DisplayMode::SinglePageContinuous << false << 2.0 << 0
            << QVector<QRectF> { QRectF(M, M, 1224, 1584), QRectF(M, M + 1584 + G, 1224, 1584),
                   QRectF(M, M + 2 * (1584 + G), 1224, 1584) }
            << QSizeF(1224 + 2 * M, 3 * 1584 + 2 * G + 2 * M);
        QTest::newRow("single page: one row, centred in the viewport")
            << DisplayMode::SinglePage << false << 0.5 << 1
            << QVector<QRectF> { QRectF(), QRectF(400 - w / 2, (600 - h) / 2, w, h), QRectF() } << QSizeF(800, 600);
        QTest::newRow("two-up continuous: pages meet at the gutter")
            << DisplayMode::TwoUpContinuous << false << 0.5 << 0
            << QVector<QRectF> { QRectF(400 - G / 2 - w, M, w, h), QRectF(400 + G / 2, M, w, h),
                   QRectF(400 - G / 2 - w, M + h + G, w, h) }
            << QSizeF(800, 2 * h + G + 2 * M);
        QTest::newRow("book continuous: cover on the right")
            << DisplayMode::TwoUpContinuous << true << 0.5 << 0
            << QVector<QRectF> { QRectF(400 + G / 2, M, w, h), QRectF(400 - G / 2 - w, M + h + G, w, h),
                   QRectF(400 + G / 2, M + h + G, w, h) }
            << QSizeF(800, 2 * h + G + 2 * M);
        QTest::newRow("two-up, second row shown")
            << DisplayMode::TwoUp << false << 0.5 << 2
            << QVector<QRectF> { QRectF(), QRectF(), QRectF(400 - G / 2 - w, (600 - h) / 2, w, h) } << QSizeF(800, 600);
        QTest::newRow("book, cover shown")
            << DisplayMode::TwoUp << true << 0.5 << 0
            << QVector<QRectF> { QRectF(400 + G / 2, (600 - h) / 2, w, h), QRectF(), QRectF() } << QSizeF(800, 600);
    }
    void rects()
    {
        QFETCH(DisplayMode, mode);
        QFETCH(bool, book);
        QFETCH(double, scale);
        QFETCH(int, shownPage);
        QFETCH(QVector<QRectF>, rects);
        QFETCH(QSizeF, documentSize);
        PageLayout layout;
        layout.setPages(letters(3), mode, book);
        layout.layout(scale, QSizeF(800, 600), shownPage);
        for (int p = 0; p < 3; ++p) {
            QCOMPARE(layout.pageRect(p), rects[p]);
            QCOMPARE(layout.isShown(p), !rects[p].isNull());
        }
        QCOMPARE(layout.documentSize(), documentSize);
    }

    void mixedSizesShareTheGutter()
    {
        PageLayout layout;
        layout.setPages({ QSizeF(400, 600), QSizeF(600, 400), QSizeF(200, 300) }, DisplayMode::TwoUpContinuous, false);
        layout.layout(1, QSizeF(100, 100), 0);
        // The widest half (600) sets the width; the smaller pages hug the gutter at its centre.
        QCOMPARE(layout.documentSize().width(), 2 * 600 + G + 2 * M);
        const double gutter = layout.documentSize().width() / 2;
        QCOMPARE(layout.pageRect(0).right(), gutter - G / 2);
        QCOMPARE(layout.pageRect(1).left(), gutter + G / 2);
        QCOMPARE(layout.pageRect(2).right(), gutter - G / 2);
        // Pages of one row are centred on the row's height.
        QCOMPARE(layout.pageRect(1).center().y(), layout.pageRect(0).center().y());
    }

    void fitScale_data()
    {
        QTest::addColumn<DisplayMode>("mode");
        QTest::addColumn<QSizeF>("viewport");
        QTest::addColumn<double>("scale");
        QTest::newRow("continuous: fit width") << DisplayMode::SinglePageContinuous << QSizeF(628, 300) << 1.0;
        QTest::newRow("two-up continuous: two widths")
            << DisplayMode::TwoUpContinuous << QSizeF(2 * 612 + 2 * M + G, 300) << 1.0;
        QTest::newRow("single: the height decides") << DisplayMode::SinglePage << QSizeF(1000, 396 + 2 * M) << 0.5;
        QTest::newRow("single: the width decides") << DisplayMode::SinglePage << QSizeF(306 + 2 * M, 5000) << 0.5;
        QTest::newRow("two-up: whole spread") << DisplayMode::TwoUp << QSizeF(612 + 2 * M + G, 5000) << 0.5;
    }
    void fitScale()
    {
        QFETCH(DisplayMode, mode);
        QFETCH(QSizeF, viewport);
        QFETCH(double, scale);
        PageLayout layout;
        layout.setPages(letters(3), mode, false);
        QCOMPARE(layout.fitScale(viewport, 0), scale);
        // At that scale the pages fit the viewport across.
        layout.layout(scale, viewport, 0);
        QCOMPARE(layout.documentSize().width(), viewport.width());
    }

    void fitWidthAndFitPage_data()
    {
        QTest::addColumn<DisplayMode>("mode");
        QTest::addColumn<PageLayout::Fit>("fit");
        QTest::addColumn<double>("scale");
        // A viewport as wide as a page and half as high.
        QTest::newRow("continuous, width") << DisplayMode::SinglePageContinuous << PageLayout::Fit::Width << 1.0;
        QTest::newRow("continuous, page: the height decides")
            << DisplayMode::SinglePageContinuous << PageLayout::Fit::Page << 0.5;
        QTest::newRow("single page, width: taller than the view")
            << DisplayMode::SinglePage << PageLayout::Fit::Width << 1.0;
        QTest::newRow("single page, page") << DisplayMode::SinglePage << PageLayout::Fit::Page << 0.5;
        QTest::newRow("single page, automatic is page") << DisplayMode::SinglePage << PageLayout::Fit::Automatic << 0.5;
        QTest::newRow("continuous, automatic is width")
            << DisplayMode::SinglePageContinuous << PageLayout::Fit::Automatic << 1.0;
    }
    void fitWidthAndFitPage()
    {
        QFETCH(DisplayMode, mode);
        QFETCH(PageLayout::Fit, fit);
        QFETCH(double, scale);
        PageLayout layout;
        layout.setPages(letters(3), mode, false);
        QCOMPARE(layout.fitScale(QSizeF(612 + 2 * M, 396 + 2 * M), 0, fit), scale);
    }

    void fitScaleOfMixedPagesInSinglePageModeFollowsTheShownPage()
    {
        PageLayout layout;
        layout.setPages({ QSizeF(612, 792), QSizeF(1224, 792) }, DisplayMode::SinglePage, false);
        const QSizeF viewport(612 + 2 * M, 5000);
        QCOMPARE(layout.fitScale(viewport, 0), 1.0);
        QCOMPARE(layout.fitScale(viewport, 1), 0.5);
    }

    void pagesInAndPageAt()
    {
        PageLayout layout;
        layout.setPages(letters(100), DisplayMode::SinglePageContinuous, false);
        layout.layout(1, QSizeF(800, 600), 0);
        const double pitch = 792 + G;
        QCOMPARE(layout.pagesIn(QRectF(0, M + 10 * pitch + 700, 800, 600)), (QVector<int> { 10, 11 }));
        QCOMPARE(layout.pagesIn(QRectF(0, M + 10 * pitch + 792 + 1, 800, G - 2)), QVector<int> {});
        QCOMPARE(layout.pageAt(QPointF(400, M + 5 * pitch + 10), false), 5);
        // In the gap between pages 5 and 6, nearer to 6.
        const QPointF gap(400, M + 5 * pitch + 792 + G - 1);
        QCOMPARE(layout.pageAt(gap, false), -1);
        QCOMPARE(layout.pageAt(gap, true), 6);
        // Beside a page, and beyond the last.
        QCOMPARE(layout.pageAt(QPointF(5, M + 7 * pitch + 300), true), 7);
        QCOMPARE(layout.pageAt(QPointF(400, 1e9), true), 99);
        QCOMPARE(layout.pageAt(QPointF(400, -50), true), 0);
    }

    void pageAtInTwoUpPicksTheSide()
    {
        PageLayout layout;
        layout.setPages(letters(4), DisplayMode::TwoUpContinuous, false);
        layout.layout(0.5, QSizeF(800, 600), 0);
        QCOMPARE(layout.pageAt(QPointF(300, 100), false), 0);
        QCOMPARE(layout.pageAt(QPointF(500, 100), false), 1);
        QCOMPARE(layout.pageAt(QPointF(399, 100), true), 0);
        QCOMPARE(layout.pageAt(QPointF(790, 500), true), 3);
    }
};

QTEST_GUILESS_MAIN(TestPageLayout)
#include "test_page_layout.moc"
