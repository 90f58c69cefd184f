// SPDX-License-Identifier: GPL-3.0-or-later
// The outline of real PDFs: the PDF adapter, and tolvo-cli toc, resolve and opml
// run as a separate process over generated fixtures and an installed manual.
#include "links/LinkGrammar.h"
#include "outline/OutlineTree.h"
#include "pdf/OutlineFromPdf.h"
#include "pdf/PdfDocument.h"
#include "support/ToolSandbox.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include <set>

using namespace tolvo;

namespace {

const char* const kManual = "/usr/share/doc/octave/octave.pdf";

struct Run {
    int code = -1;
    QByteArray out;
    QString err;
};

// In a home of its own, so no user's prefixes get in.
Run runCli(const QStringList& args)
{
    static const tolvo::test::ToolSandbox home;
    const tolvo::test::ToolRun r = home.cli(args);
    return { r.code, r.out, r.errText() };
}

QString fixture(const QString& name)
{
    return qEnvironmentVariable("TOLVO_FIXTURES") + QLatin1Char('/') + name;
}

QString tocLinks()
{
    return fixture(QStringLiteral("toc & links.pdf"));
}

// Where following a target leads in an opened PDF: the item for a TOC reading
// (whose own label then places the view), else the page and point.
struct Landing {
    const MyOutlineItem* item = nullptr;
    TargetReading place;
};

Landing follow(const OutlineTree& tree, const QStringList& labels, const QString& target)
{
    QHash<QString, int> pageOf;
    for (int i = int(labels.size()) - 1; i >= 0; --i)
        pageOf.insert(labels[i], i);
    const PageLabelLookup lookup = [&](const QString& label) -> std::optional<int> {
        const auto it = pageOf.constFind(label);
        return it == pageOf.cend() ? std::nullopt : std::optional<int>(*it);
    };
    const OutlineMatcher matcher = [&](const QStringList& c) -> std::optional<int> {
        const auto found = tree.moiMatchingURLSuffix(c);
        return found ? std::optional<int>(tree.indexOf(found->front())) : std::nullopt;
    };
    Landing landing;
    landing.place = readTarget(target, lookup, matcher);
    if (landing.place.kind == TargetReading::Kind::TitlePath) {
        landing.item = tree.items()[std::size_t(landing.place.matchId)];
        landing.place = readLocationOrPageLabel(landing.item->pageLabel(), lookup);
    }
    return landing;
}

} // namespace

class TestOutlineCli : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY2(QFileInfo::exists(tocLinks()), qPrintable(tocLinks())); }

    void tocJson_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("depth");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("pageLabel");
        QTest::addColumn<int>("myDepth");
        QTest::addColumn<QString>("target");
        QTest::newRow("preface") << 0 << 1 << "Preface"
                                 << "i/@loc/72x/720y/" << 1 << "prefac";
        QTest::newRow("symbols") << 1 << 1 << "A & B <x>"
                                 << "ii/@loc/72x/541y/" << 1 << "a.b.x";
        QTest::newRow("chapter") << 2 << 1 << "Chapter 12"
                                 << "12/@loc/72x/700y/" << 1 << "chapt.12";
        QTest::newRow("heading without destination") << 3 << 1 << "Part One"
                                                     << "13/@loc/100x/500y/" << 2 << "part.one";
        QTest::newRow("accented") << 4 << 2 << "Résumé"
                                  << "13/@loc/100x/500y/" << 1 << "résumé";
        QTest::newRow("number word") << 5 << 2 << "Results 2012"
                                     << "14/@loc/72x/300y/" << 1 << "results.2012";
        QTest::newRow("equal titles, first") << 6 << 1 << "Appendix"
                                             << "14/@loc/0x/792y/" << 1 << "14/@loc/0x/792y/";
        QTest::newRow("equal titles, second") << 7 << 1 << "Appendix"
                                              << "14/@loc/0x/400y/" << 1 << "14/@loc/0x/400y/";
        QTest::newRow("punctuation only") << 8 << 1 << "---"
                                          << "11/@loc/50x/60y/" << 1 << "11/@loc/50x/60y/";
    }
    void tocJson()
    {
        QFETCH(int, index);
        const Run run = runCli({ QStringLiteral("toc"), tocLinks(), QStringLiteral("--prefix"), QStringLiteral("doc/"),
            QStringLiteral("--json") });
        QCOMPARE(run.code, 0);
        const QJsonArray entries = QJsonDocument::fromJson(run.out).array();
        QCOMPARE(entries.size(), 9);
        const QJsonObject entry = entries[index].toObject();
        QFETCH(int, depth);
        QFETCH(QString, title);
        QFETCH(QString, pageLabel);
        QFETCH(int, myDepth);
        QFETCH(QString, target);
        QCOMPARE(entry.value(QLatin1String("depth")).toInt(), depth);
        QCOMPARE(entry.value(QLatin1String("title")).toString(), title);
        QCOMPARE(entry.value(QLatin1String("pageLabel")).toString(), pageLabel);
        QCOMPARE(entry.value(QLatin1String("myDepth")).toInt(), myDepth);
        QCOMPARE(entry.value(QLatin1String("target")).toString(), target);
        QCOMPARE(
            entry.value(QLatin1String("url")).toString(), QStringLiteral("tolvo://doc/") + target + QLatin1Char('/'));
    }

    void tocPlain()
    {
        const Run run
            = runCli({ QStringLiteral("toc"), tocLinks(), QStringLiteral("--prefix"), QStringLiteral("doc") });
        QCOMPARE(run.code, 0);
        const QStringList lines = QString::fromUtf8(run.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 9);
        QCOMPARE(lines[0], QStringLiteral("Preface\ttolvo://doc/prefac/"));
        QCOMPARE(lines[4], QStringLiteral("  Résumé\ttolvo://doc/résumé/"));
        QCOMPARE(lines[6], QStringLiteral("Appendix\ttolvo://doc/14/@loc/0x/792y//"));
    }

    void resolve_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("reading");
        QTest::addColumn<int>("pageIndex"); // -1: null
        QTest::addColumn<QString>("pageLabel");
        QTest::addColumn<QList<double>>("point");
        QTest::addColumn<QStringList>("tocPath");
        QTest::newRow("page label wins over a title word") << "12"
                                                           << "page" << 3 << "12" << QList<double>() << QStringList();
        QTest::newRow("title path holding a page label")
            << "chapter.12"
            << "toc" << 3 << "12" << QList<double> { 72, 700 } << QStringList { QStringLiteral("Chapter 12") };
        QTest::newRow("page label") << "ii/"
                                    << "page" << 1 << "ii" << QList<double>() << QStringList();
        QTest::newRow("location") << "ii/@loc/72x/541y"
                                  << "location" << 1 << "ii" << QList<double> { 72, 541 } << QStringList();
        QTest::newRow("child path") << "part.one/rés"
                                    << "toc" << 4 << "13" << QList<double> { 100, 500 }
                                    << QStringList { QStringLiteral("Part One"), QStringLiteral("Résumé") };
        QTest::newRow("heading leads where its first child does")
            << "part.one"
            << "toc" << 4 << "13" << QList<double> { 100, 500 } << QStringList { QStringLiteral("Part One") };
        QTest::newRow("fallback TOC link") << "14/@loc/0x/792y//"
                                           << "location" << 5 << "14" << QList<double> { 0, 792 } << QStringList();
        QTest::newRow("nothing") << "nothing-here"
                                 << "none" << -1 << QString() << QList<double>() << QStringList();
        QTest::newRow("empty target") << ""
                                      << "none" << -1 << QString() << QList<double>() << QStringList();
    }
    void resolve()
    {
        QFETCH(QString, target);
        QFETCH(QString, reading);
        QFETCH(int, pageIndex);
        QFETCH(QString, pageLabel);
        QFETCH(QList<double>, point);
        QFETCH(QStringList, tocPath);
        const Run run = runCli({ QStringLiteral("resolve"), tocLinks(), target, QStringLiteral("--json") });
        QCOMPARE(run.code, 0);
        const QJsonObject object = QJsonDocument::fromJson(run.out).object();
        QCOMPARE(object.value(QLatin1String("reading")).toString(), reading);
        if (pageIndex < 0) {
            QVERIFY(object.value(QLatin1String("pageIndex")).isNull());
        } else {
            QCOMPARE(object.value(QLatin1String("pageIndex")).toInt(), pageIndex);
            QCOMPARE(object.value(QLatin1String("pageLabel")).toString(), pageLabel);
        }
        QList<double> gotPoint;
        for (const QJsonValue& v : object.value(QLatin1String("point")).toArray())
            gotPoint << v.toDouble();
        QCOMPARE(gotPoint, point);
        QStringList gotPath;
        for (const QJsonValue& v : object.value(QLatin1String("tocPath")).toArray())
            gotPath << v.toString();
        QCOMPARE(gotPath, tocPath);
        if (!tocPath.isEmpty())
            QCOMPARE(object.value(QLatin1String("tocTitle")).toString(), tocPath.last());
    }

    void opmlToFile()
    {
        QTemporaryDir dir;
        const QString out = dir.filePath(QStringLiteral("toc.opml"));
        const Run run = runCli({ QStringLiteral("opml"), tocLinks(), QStringLiteral("--style"), QStringLiteral("1"),
            QStringLiteral("--prefix"), QStringLiteral("doc"), QStringLiteral("-o"), out });
        QCOMPARE(run.code, 0);
        QVERIFY(run.out.isEmpty());
        QFile file(out);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.startsWith("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<opml version=\"1.0\">\n"));
        QVERIFY(bytes.contains("\t<title>\"toc &amp; links.pdf\"</title>\n\t<expansionState></expansionState>\n"));
        QVERIFY(bytes.contains("<outline text=\"R&#233;sum&#233;\" tolvo=\"tolvo://doc/13/@loc/100x/500y/ "));
        QXmlStreamReader reader(bytes);
        int outlines = 0;
        while (!reader.atEnd())
            if (reader.readNext() == QXmlStreamReader::StartElement && reader.name() == QLatin1String("outline"))
                ++outlines;
        QVERIFY2(!reader.hasError(), qPrintable(reader.errorString()));
        QCOMPARE(outlines, 9);

        const Run toStdout = runCli({ QStringLiteral("opml"), tocLinks(), QStringLiteral("--style"),
            QStringLiteral("1"), QStringLiteral("--prefix"), QStringLiteral("doc/") });
        QCOMPARE(toStdout.code, 0);
        QCOMPARE(toStdout.out, bytes);
    }

    void failures_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::newRow("toc of a missing file")
            << QStringList { QStringLiteral("toc"), fixture(QStringLiteral("gone.pdf")) } << 1;
        QTest::newRow("toc of a damaged file")
            << QStringList { QStringLiteral("toc"), fixture(QStringLiteral("not-a-pdf.pdf")) } << 1;
        QTest::newRow("toc without file") << QStringList { QStringLiteral("toc") } << 2;
        QTest::newRow("toc with empty prefix")
            << QStringList { QStringLiteral("toc"), tocLinks(), QStringLiteral("--prefix"), QString() } << 2;
        QTest::newRow("resolve without target") << QStringList { QStringLiteral("resolve"), tocLinks() } << 2;
        QTest::newRow("opml style 3") << QStringList { QStringLiteral("opml"), tocLinks(), QStringLiteral("--style"),
            QStringLiteral("3") } << 2;
        QTest::newRow("opml unknown option")
            << QStringList { QStringLiteral("opml"), tocLinks(), QStringLiteral("--css") } << 2;
        QTest::newRow("opml into a missing folder") << QStringList { QStringLiteral("opml"), tocLinks(),
            QStringLiteral("-o"), fixture(QStringLiteral("no/such/dir/x.opml")) }
                                                    << 1;
    }
    void failures()
    {
        QFETCH(QStringList, args);
        const Run run = runCli(args);
        QFETCH(int, code);
        QCOMPARE(run.code, code);
        QVERIFY(run.out.isEmpty());
        QVERIFY(run.err.startsWith(QLatin1String("tolvo-cli: ")));
    }

    void workedExampleThroughThePdf()
    {
        const QString path = fixture(QStringLiteral("outline.pdf"));
        if (!QFileInfo::exists(path))
            QFAIL("outline.pdf is not among the fixtures");
        const pdf::OpenResult opened = pdf::openDocument(path);
        QVERIFY2(opened.document, qPrintable(opened.error));
        const OutlineTree tree = outlineTreeForPdf(*opened.document);
        QCOMPARE(tree.items().size(), std::size_t(9));
        const QStringList expected = { QStringLiteral("prefac"), QStringLiteral("chapt.1"),
            QStringLiteral("chapt.1/introd"), QStringLiteral("meth"), QStringLiteral("chapt.2"),
            QStringLiteral("chapt.2/introd"), QStringLiteral("results") };
        for (qsizetype i = 0; i < expected.size(); ++i)
            QCOMPARE(tree.makeShortURLForMOI(tree.items()[std::size_t(i)]), expected[i]);
        for (std::size_t i = 7; i < 9; ++i) {
            const MyOutlineItem* appendix = tree.items()[i];
            QCOMPARE(appendix->pageTitle(), QStringLiteral("Appendix"));
            QCOMPARE(tree.makeShortURLForMOI(appendix), appendix->pageLabel());
            QVERIFY(appendix->pageLabel().startsWith(QLatin1String("6/@loc/")));
        }
    }

    // Every entry of a real manual gets a target that leads back to it.
    void manualTargetsLeadBack()
    {
        if (!QFileInfo::exists(QLatin1String(kManual)))
            QFAIL("octave.pdf is not installed (tools/setup-debian.sh installs octave-doc)");
        const pdf::OpenResult opened = pdf::openDocument(QLatin1String(kManual));
        QVERIFY2(opened.document, qPrintable(opened.error));
        const OutlineTree tree = outlineTreeForPdf(*opened.document);
        QVERIFY(tree.items().size() > 100);
        const QStringList labels = opened.document->pageLabels();

        QStringList targets;
        for (const MyOutlineItem* item : tree.items()) {
            const QString target = tree.makeShortURLForMOI(item);
            targets << target;
            const Landing landing = follow(tree, labels, target);
            if (landing.item) {
                QVERIFY2(landing.item == item, qPrintable(target));
            } else {
                // A fallback target is the entry's own place.
                QCOMPARE(target, item->pageLabel());
                QCOMPARE(landing.place.kind, TargetReading::Kind::Location);
                QCOMPARE(follow(tree, labels, item->pageLabel()).place.origin, landing.place.origin);
            }
        }
        QCOMPARE(std::set<QString>(targets.begin(), targets.end()).size(), std::size_t(targets.size()));

        // The command says the same, entry by entry, and resolve agrees on a sample.
        const Run run = runCli({ QStringLiteral("toc"), QLatin1String(kManual), QStringLiteral("--json") });
        QCOMPARE(run.code, 0);
        const QJsonArray entries = QJsonDocument::fromJson(run.out).array();
        QCOMPARE(entries.size(), targets.size());
        for (qsizetype i = 0; i < entries.size(); ++i)
            QCOMPARE(entries[i].toObject().value(QLatin1String("target")).toString(), targets[i]);
        for (qsizetype i = 0; i < entries.size(); i += entries.size() / 8) {
            const QJsonObject entry = entries[i].toObject();
            const Run resolved = runCli({ QStringLiteral("resolve"), QLatin1String(kManual),
                entry.value(QLatin1String("target")).toString(), QStringLiteral("--json") });
            const QJsonObject object = QJsonDocument::fromJson(resolved.out).object();
            if (object.value(QLatin1String("reading")).toString() == QLatin1String("toc"))
                QCOMPARE(
                    object.value(QLatin1String("tocTitle")).toString(), entry.value(QLatin1String("title")).toString());
            else
                QCOMPARE(object.value(QLatin1String("reading")).toString(), QStringLiteral("location"));
        }
    }
};

QTEST_GUILESS_MAIN(TestOutlineCli)
#include "test_outline_cli.moc"
