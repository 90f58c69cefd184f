// SPDX-License-Identifier: GPL-3.0-or-later
// The link areas of a view's pages, read on their own thread: a reader going through a whole
// manual keeps only the pages read last, and never loses those in view.
#include "FakeDocument.h"
#include "pageview/PdfLinkAreas.h"

#include <QtTest>

using tolvo::pageview::PdfLinkAreas;
using tolvo::test::FakeDocument;

namespace {

QVector<int> range(int from, int to)
{
    QVector<int> pages;
    for (int page = from; page < to; ++page)
        pages << page;
    return pages;
}

} // namespace

class TestPdfLinkAreas : public QObject {
    Q_OBJECT
private slots:
    void keepsThePagesReadLast_data()
    {
        QTest::addColumn<QVector<QVector<int>>>("wishes"); // what the view asks for, in turn
        QTest::addColumn<QVector<int>>("kept");
        QTest::addColumn<QVector<int>>("dropped");

        QVector<QVector<int>> onePageAtATime;
        for (int page = 0; page < 100; ++page)
            onePageAtATime << QVector<int> { page };
        QTest::newRow("through 100 pages, one at a time")
            << onePageAtATime << range(100 - PdfLinkAreas::kPagesKept, 100) << range(0, 100 - PdfLinkAreas::kPagesKept);
        QVector<QVector<int>> andBack = onePageAtATime;
        andBack << QVector<int> { 0 };
        QTest::newRow("back to the first page after 100")
            << andBack << (QVector<int> { 0, 99 } + range(100 - PdfLinkAreas::kPagesKept + 1, 99))
            << range(1, 100 - PdfLinkAreas::kPagesKept + 1);
        QTest::newRow("a view showing more pages than are kept")
            << QVector<QVector<int>> { range(0, 90) } << range(0, 90) << QVector<int>();
        QTest::newRow("pages in view are kept while others come and go")
            << QVector<QVector<int>> { range(0, 70), range(60, 140) } << range(60, 140) << range(0, 60);
    }
    void keepsThePagesReadLast()
    {
        QFETCH(QVector<QVector<int>>, wishes);
        QFETCH(QVector<int>, kept);
        QFETCH(QVector<int>, dropped);
        FakeDocument document(FakeDocument::letterPages(200));
        document.setLinksPerPage(3);
        PdfLinkAreas areas;
        areas.setDocument(&document);
        for (const QVector<int>& wish : wishes) {
            areas.want(wish);
            for (int page : wish)
                QTRY_VERIFY2(areas.isRead(page), qPrintable(QString::number(page)));
        }
        for (int page : kept) {
            QVERIFY2(areas.isRead(page), qPrintable(QString::number(page)));
            QCOMPARE(int(areas.linksOn(page).size()), 3);
            QCOMPARE(areas.linksOn(page).front().link.destination.pageIndex, page + 1);
            QCOMPARE(areas.linksOn(page).front().targetLabel, QString::number(page + 2));
        }
        for (int page : dropped) {
            QVERIFY2(!areas.isRead(page), qPrintable(QString::number(page)));
            QVERIFY(areas.linksOn(page).empty());
            QCOMPARE(areas.linkAt(page, QPointF(100, 75)), nullptr);
        }
    }
};

QTEST_GUILESS_MAIN(TestPdfLinkAreas)
#include "test_pdf_link_areas.moc"
