// SPDX-License-Identifier: GPL-3.0-or-later
// tolvo-cli search and annotations, run as separate processes over the fixtures with a defaults
// store of their own.
#include "SearchTestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "support/ToolSandbox.h"

using tolvo::test::fixture;

namespace {

struct Run {
    int code = -1;
    QString out;
    QString err;
};

class Cli {
public:
    Run operator()(const QStringList& args) const
    {
        const tolvo::test::ToolRun r = m_home.cli(args);
        return { r.code, r.outText(), r.errText() };
    }

private:
    tolvo::test::ToolSandbox m_home;
};

} // namespace

class TestSearchCli : public QObject {
    Q_OBJECT

private slots:
    void searchJson()
    {
        const Run r = Cli()({ QStringLiteral("search"), fixture(QStringLiteral("search.pdf")),
            QStringLiteral("blue whale"), QStringLiteral("--json") });
        QCOMPARE(r.code, 0);
        // JSON Lines: one object a row.
        QJsonArray rows;
        for (const QString& line : r.out.split(u'\n', Qt::SkipEmptyParts))
            rows.append(QJsonDocument::fromJson(line.toUtf8()).object());
        QCOMPARE(rows.size(), 3);
        const QStringList types = { "TOC", "Note", "Text" };
        for (int i = 0; i < 3; ++i)
            QCOMPARE(rows[i].toObject().value(QLatin1String("resultType")).toString(), types[i]);
        const QJsonObject toc = rows[0].toObject();
        QCOMPARE(toc.value(QLatin1String("pageLabel")).toString(), QStringLiteral("2/@loc/72x/720y/"));
        QCOMPARE(toc.value(QLatin1String("pageIndex")).toInt(), 3);
        QCOMPARE(toc.value(QLatin1String("resultCountOnPage")).toInt(), 1);
        QCOMPARE(rows[2].toObject().value(QLatin1String("resultDescription")).toString(),
            QStringLiteral("\"blue whale\" found on page 2"));
    }

    void searchPlain()
    {
        const Run r
            = Cli()({ QStringLiteral("search"), fixture(QStringLiteral("search.pdf")), QStringLiteral("needle") });
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out,
            QStringLiteral("7\tNote\tNote annotation \"check the needle count\"\n"
                           "5\tText\t\"needle\" found 3 times on page 5\n"));
    }

    void failures_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        const QString pdf = fixture(QStringLiteral("search.pdf"));
        QTest::newRow("search without query") << QStringList { "search", pdf } << 2;
        QTest::newRow("search, not a PDF")
            << QStringList { "search", fixture(QStringLiteral("not-a-pdf.pdf")), "x" } << 1;
        QTest::newRow("unknown format") << QStringList { "annotations", pdf, "--format", "docx" } << 2;
        QTest::newRow("unknown kind") << QStringList { "annotations", pdf, "--kinds", "notes,squiggles" } << 2;
        QTest::newRow("both quote options") << QStringList { "annotations", pdf, "--quotes", "--no-quotes" } << 2;
        QTest::newRow("no annotations") << QStringList { "annotations", fixture(QStringLiteral("no-outline.pdf")) }
                                        << 3;
        QTest::newRow("no annotations of those kinds")
            << QStringList { "annotations", pdf, "--kinds", "underlines" } << 3;
        QTest::newRow("damaged file") << QStringList { "annotations", fixture(QStringLiteral("truncated.pdf")) } << 1;
    }
    void failures()
    {
        QFETCH(QStringList, args);
        const Run r = Cli()(args);
        QTEST(r.code, "code");
        QVERIFY(!r.err.isEmpty());
        QVERIFY(r.out.isEmpty());
    }

    void annotationsJson()
    {
        const Run r = Cli()(
            { QStringLiteral("annotations"), fixture(QStringLiteral("annotations.pdf")), QStringLiteral("--json") });
        QCOMPARE(r.code, 0);
        const QJsonObject object = QJsonDocument::fromJson(r.out.toUtf8()).object();
        QCOMPARE(object.value(QLatin1String("annotations")).toArray().size(), 9);
        const QJsonObject counts = object.value(QLatin1String("counts")).toObject();
        QCOMPARE(counts.value(QLatin1String("notes")).toInt(), 3);
        QCOMPARE(counts.value(QLatin1String("highlights")).toInt(), 3);
        QCOMPARE(counts.value(QLatin1String("others")).toInt(), 5);
        const QJsonObject first = object.value(QLatin1String("annotations")).toArray()[3].toObject();
        QCOMPARE(first.value(QLatin1String("PDFAnnotationType")).toString(), QStringLiteral("Highlight"));
        QCOMPARE(first.value(QLatin1String("PDFAnnotationText")).toString(), QStringLiteral("Key Point "));
        QVERIFY(!first.contains(QLatin1String("comment")));
        const QJsonObject underline = object.value(QLatin1String("annotations")).toArray()[5].toObject();
        QCOMPARE(underline.value(QLatin1String("comment")).toString(), QStringLiteral("Two lines"));
    }

    void annotationsMarkdown()
    {
        const Run r = Cli()({ QStringLiteral("annotations"), fixture(QStringLiteral("search.pdf")),
            QStringLiteral("--format"), QStringLiteral("markdown"), QStringLiteral("--kinds"), QStringLiteral("notes"),
            QStringLiteral("--no-quotes"), QStringLiteral("--prefix"), QStringLiteral("guide") });
        QCOMPARE(r.code, 0);
        // The stored link style is the registered one: expanded.
        QCOMPARE(r.out,
            QStringLiteral(
                "### Page 7, Note annotation\n\n[tolvo://guide/7](tolvo://guide/7/)\n\n> Check the Needle count\n\n"
                "### Page 7, Note annotation\n\n[tolvo://guide/7](tolvo://guide/7/)\n\n> Blue whale sighting\n"));
    }

    void annotationsToFile()
    {
        QTemporaryDir dir;
        const QString out = dir.filePath(QStringLiteral("notes.rtf"));
        const Run r = Cli()(
            { QStringLiteral("annotations"), fixture(QStringLiteral("search.pdf")), QStringLiteral("-o"), out });
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.isEmpty());
        QFile file(out);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray rtf = file.readAll();
        QVERIFY(rtf.startsWith("{\\rtf1"));
        QCOMPARE(rtf.count("HYPERLINK"), 5); // two notes and three highlights, one of them without contents
        QVERIFY(rtf.contains("HYPERLINK \"tolvo://search/3/\""));
    }

    // --library: every routed PDF, in the table's order, one row a page with matches; each link
    // resolves to its page. The first run writes the indexes, the second reads them.
    void librarySearch_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QStringList>("links"); ///< in order
        QTest::addColumn<QList<int>>("counts");
        QTest::addColumn<QStringList>("pageIndexes");
        // Two pages share the label A: both give rows, and the link leads where links to A lead, the first.
        QTest::newRow("in two PDFs") << "needle"
                                     << QStringList { "tolvo://dup/A/", "tolvo://dup/A/", "tolvo://dup/B/",
                                            "tolvo://srch/5/" }
                                     << QList<int> { 1, 1, 1, 3 } << QStringList { "0", "0", "2", "6" };
        QTest::newRow("a phrase in one") << "blue whale" << QStringList { "tolvo://srch/2/" } << QList<int> { 1 }
                                         << QStringList { "3" };
        QTest::newRow("nowhere") << "narwhal" << QStringList {} << QList<int> {} << QStringList {};
    }
    void librarySearch()
    {
        QFETCH(QString, query);
        QFETCH(QStringList, links);
        QFETCH(QList<int>, counts);
        QFETCH(QStringList, pageIndexes);
        tolvo::test::ToolSandbox home;
        QCOMPARE(home.cli({ "prefix", "--assign", "dup", fixture("dup-labels.pdf") }).code, 0);
        QCOMPARE(home.cli({ "prefix", "--assign", "srch", fixture("search.pdf") }).code, 0);
        for (const bool indexed : { false, true }) {
            const tolvo::test::ToolRun r = home.cli({ "search", "--library", query, "--json" });
            QCOMPARE(r.code, 0);
            QCOMPARE(r.errText().contains(QLatin1String("indexing")), !indexed);
            QStringList got;
            QList<int> gotCounts;
            for (const QString& line : r.outText().split(u'\n', Qt::SkipEmptyParts)) {
                const QJsonObject row = QJsonDocument::fromJson(line.toUtf8()).object();
                got << row.value(QLatin1String("link")).toString();
                gotCounts << row.value(QLatin1String("count")).toInt();
                QVERIFY(row.value(QLatin1String("text")).toString().contains(query, Qt::CaseInsensitive));
            }
            QCOMPARE(got, links);
            QCOMPARE(gotCounts, counts);
        }
        // Plain rows: the link, the count, the text; and every link leads to its page.
        const tolvo::test::ToolRun plain = home.cli({ "search", "--library", query });
        const QStringList lines = plain.outText().split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), links.size());
        for (int i = 0; i < lines.size(); ++i) {
            QCOMPARE(lines[i].section(u'\t', 0, 0), links[i]);
            const tolvo::test::ToolRun resolved = home.cli({ "resolve", links[i], "--json" });
            QCOMPARE(resolved.code, 0);
            const QJsonObject where = QJsonDocument::fromJson(resolved.out).object();
            QCOMPARE(QString::number(where.value(QLatin1String("pageIndex")).toInt()), pageIndexes[i]);
        }
    }

    void libraryUsage_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no query") << QStringList { "search", "--library" };
        QTest::newRow("a file as well") << QStringList { "search", "--library", "x.pdf", "needle" };
        QTest::newRow("blank query") << QStringList { "search", "--library", "  " };
    }
    void libraryUsage()
    {
        QFETCH(QStringList, args);
        const Run r = Cli()(args);
        QCOMPARE(r.code, 2);
        QVERIFY(r.err.contains(QLatin1String("search")));
    }
};

QTEST_GUILESS_MAIN(TestSearchCli)
#include "test_search_cli.moc"
