// SPDX-License-Identifier: GPL-3.0-or-later
// The rendering workers over a long read: each takes a fresh copy of the PDF now and then, which
// must never cost a page, and never be a copy of a different file.
#include "FakeDocument.h"
#include "render/PageRenderer.h"

#include <QSignalSpy>
#include <QtTest>

using tolvo::PageStyle;
using tolvo::pageview::PageRenderer;
using tolvo::pageview::RenderRequest;
using tolvo::test::FakeDocument;

class TestPageRenderer : public QObject {
    Q_OBJECT
private slots:
    void longReadsKeepDrawing_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("linksPerPage");
        // Copies made over 250 drawings, the first included. A worker takes a fresh copy once its
        // copy holds a hundred pages' worth and nothing waits, and at twice that in any case, so
        // the figures depend on whether the next page was already asked for.
        QTest::addColumn<int>("fewestCopies");
        QTest::addColumn<int>("mostCopies");
        QTest::newRow("unchanged") << "unchanged" << 0 << 2 << 3;
        // Twelve pages of 200 links weigh 120 pages: a fresh copy after 10 to 80 drawings.
        QTest::newRow("unchanged, 200 links a page") << "unchanged" << 200 << 4 << 26;
        QTest::newRow("rewritten while read") << "changed" << 200 << 1 << 1;
        // Tried, failed, and the old copy went on drawing.
        QTest::newRow("gone while read") << "gone" << 0 << 2 << 250;
    }
    void longReadsKeepDrawing()
    {
        QFETCH(QString, file);
        QFETCH(int, linksPerPage);
        QFETCH(int, fewestCopies);
        QFETCH(int, mostCopies);
        FakeDocument doc(FakeDocument::letterPages(12));
        doc.setLinksPerPage(linksPerPage);
        PageRenderer renderer;
        QSignalSpy drawn(&renderer, &PageRenderer::pageRendered);
        renderer.setDocument(&doc, 1);
        renderer.startAllWorkers();
        // A worker reads its copy when first given a page to draw, not before.
        QTest::qWait(20);
        QCOMPARE(doc.log()->reopened.load(), 0);
        renderer.setWanted({ RenderRequest { 0, 0.05, PageStyle::Day } });
        QVERIFY(drawn.wait(10000));
        QCOMPARE(doc.log()->reopened.load(), 1);
        // What happens to the file after the first copy decides the later ones.
        if (file == "changed")
            doc.setFileChanged(true);
        if (file == "gone")
            doc.setReopenFails(true);

        // One page at a time, as a reader turns them: 250 drawings, each at a scale of its own.
        for (int i = 1; i < 250; ++i) {
            renderer.setWanted({ RenderRequest { i % 12, 0.05 + 0.001 * i, PageStyle::Day } });
            QVERIFY(drawn.size() > i || drawn.wait(10000));
            QVERIFY2(!drawn.at(i).at(3).value<QImage>().isNull(), qPrintable(QString::number(i)));
        }
        const int copies = doc.log()->reopened.load();
        QVERIFY2(copies >= fewestCopies && copies <= mostCopies, qPrintable(QString::number(copies)));
    }
};

QTEST_MAIN(TestPageRenderer)
#include "test_page_renderer.moc"
