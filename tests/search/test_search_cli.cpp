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
};

QTEST_GUILESS_MAIN(TestSearchCli)
#include "test_search_cli.moc"
