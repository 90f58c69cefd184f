// SPDX-License-Identifier: GPL-3.0-or-later
// The PDF's own links as the PDF services read them: each kind of destination and action, the
// rectangles in page space, and the links that lead nowhere left out.
#include "pdf/PdfDocument.h"

#include <QtTest>

using namespace tolvo::pdf;

namespace {

QString fixture(const QString& name)
{
    return qEnvironmentVariable("TOLVO_FIXTURES") + QStringLiteral("/links/") + name;
}

// The fixture's link lines run down the first page from y = 700, 30 points apart.
QRectF lineArea(int line)
{
    const double y = 700 - 30 * line;
    return QRectF(QPointF(70, y - 4), QPointF(340, y + 14));
}

} // namespace

Q_DECLARE_METATYPE(PageLink::Kind)

class TestPdfLinks : public QObject {
    Q_OBJECT

    std::unique_ptr<Document> m_doc;

private slots:
    void initTestCase()
    {
        OpenResult opened = openDocument(fixture(QStringLiteral("Links.pdf")));
        QVERIFY2(opened.document, qPrintable(opened.error));
        m_doc = std::move(opened.document);
    }

    void eachKindOfLink_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("line");
        QTest::addColumn<PageLink::Kind>("kind");
        QTest::addColumn<int>("page");
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<QString>("target");
        const QPointF none(-1, -1);
        QTest::newRow("explicit destination")
            << 0 << 0 << PageLink::Kind::Destination << 3 << QPointF(72, 500) << QString();
        QTest::newRow("named destination as /Dest")
            << 1 << 1 << PageLink::Kind::Destination << 5 << QPointF(72, 700) << QString();
        QTest::newRow("go-to action with a name")
            << 2 << 2 << PageLink::Kind::Destination << 5 << QPointF(72, 700) << QString();
        QTest::newRow("web address") << 3 << 3 << PageLink::Kind::Uri << -1 << none
                                     << QStringLiteral("https://example.org/manual");
        QTest::newRow("mail address") << 4 << 4 << PageLink::Kind::Uri << -1 << none
                                      << QStringLiteral("mailto:someone@example.org");
        QTest::newRow("named action") << 5 << 5 << PageLink::Kind::Named << -1 << none << QStringLiteral("NextPage");
        // Read as it is; whether it opens is the window's decision.
        QTest::newRow("file address") << 6 << 6 << PageLink::Kind::Uri << -1 << none
                                      << QStringLiteral("file:///etc/passwd");
    }

    void eachKindOfLink()
    {
        QFETCH(int, position);
        QFETCH(int, line);
        QFETCH(PageLink::Kind, kind);
        QFETCH(int, page);
        QFETCH(QPointF, point);
        QFETCH(QString, target);
        const std::vector<PageLink> links = m_doc->links(0);
        QVERIFY(position < int(links.size()));
        const PageLink& link = links[size_t(position)];
        QCOMPARE(link.kind, kind);
        QCOMPARE(link.area, lineArea(line));
        QCOMPARE(link.target, target);
        if (kind == PageLink::Kind::Destination) {
            QCOMPARE(link.destination.pageIndex, page);
            QVERIFY(link.destination.point);
            QCOMPARE(*link.destination.point, point);
        }
    }

    void linksThatLeadNowhereAreLeftOut()
    {
        // A script, a page beyond the end and a name the PDF does not define.
        QCOMPARE(int(m_doc->links(0).size()), 7);
    }

    void pagesWithoutLinksAndPagesThatAreNone_data()
    {
        QTest::addColumn<int>("page");
        QTest::newRow("a page without links") << 1;
        QTest::newRow("before the first page") << -1;
        QTest::newRow("past the last page") << 6;
    }

    void pagesWithoutLinksAndPagesThatAreNone()
    {
        QFETCH(int, page);
        QVERIFY(m_doc->links(page).empty());
    }
};

QTEST_GUILESS_MAIN(TestPdfLinks)
#include "test_pdf_links.moc"
