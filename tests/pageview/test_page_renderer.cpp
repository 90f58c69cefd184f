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
        QTest::addColumn<bool>("freshCopies"); // the worker takes copies beyond its first
        QTest::newRow("unchanged") << "unchanged" << true;
        QTest::newRow("rewritten while read") << "changed" << false;
        QTest::newRow("gone while read") << "gone" << false;
    }
    void longReadsKeepDrawing()
    {
        QFETCH(QString, file);
        QFETCH(bool, freshCopies);
        FakeDocument doc(FakeDocument::letterPages(12));
        PageRenderer renderer;
        QSignalSpy drawn(&renderer, &PageRenderer::pageRendered);
        renderer.setDocument(&doc, 1);
        renderer.startAllWorkers();
        // The first copy is made; what happens to the file afterwards decides the later ones.
        QTRY_COMPARE(doc.log()->reopened, 1);
        if (file == "changed")
            doc.setFileChanged(true);
        if (file == "gone")
            doc.setReopenFails(true);

        // One page at a time, as a reader turns them: 250 drawings, each at a scale of its own.
        for (int i = 0; i < 250; ++i) {
            renderer.setWanted({ RenderRequest { i % 12, 0.05 + 0.001 * i, PageStyle::Day } });
            QVERIFY(drawn.size() > i || drawn.wait(10000));
            QVERIFY2(!drawn.at(i).at(3).value<QImage>().isNull(), qPrintable(QString::number(i)));
        }
        const int copies = doc.log()->reopened;
        // A worker takes a fresh copy once it has drawn a hundred pages and has nothing waiting,
        // and after two hundred in any case: over 250 drawings that is one or two fresh copies,
        // depending on whether the next page was already asked for.
        if (freshCopies)
            QVERIFY2(copies >= 2 && copies <= 3, qPrintable(QString::number(copies)));
        else if (file == "gone")
            QVERIFY(copies > 1); // tried, failed, and the old copy went on drawing
        else
            QCOMPARE(copies, 1);
    }
};

QTEST_MAIN(TestPageRenderer)
#include "test_page_renderer.moc"
