// SPDX-License-Identifier: GPL-3.0-or-later
// tolvo-cli link: the link of a page, a TOC entry, a point and the whole PDF in each format,
// its usage errors, and RTF that other programs (pandoc, and LibreOffice where installed) read back to
// the same link.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "support/ToolSandbox.h"

namespace {

struct Run {
    int code = -1;
    QString out;
    QString err;
};

// In a home of its own, so that no user's prefixes or options get in.
Run runCli(const QStringList& args)
{
    static const tolvo::test::ToolSandbox home;
    const tolvo::test::ToolRun r = home.cli(args);
    return { r.code, r.outText(), r.errText() };
}

QString report()
{
    return qEnvironmentVariable("TOLVO_FIXTURES") + "/docwin/Report.pdf";
}

// The HTML pandoc makes of RTF.
QString pandocHtml(const QString& rtf)
{
    QProcess p;
    p.start("pandoc", { "-f", "rtf", "-t", "html" });
    p.write(rtf.toUtf8());
    p.closeWriteChannel();
    if (!p.waitForFinished(60000))
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The HTML LibreOffice makes of RTF, when it is installed (a slow check: a few seconds a file).
QString libreOfficeHtml(const QString& rtf)
{
    QTemporaryDir dir;
    QFile in(dir.filePath("link.rtf"));
    if (!in.open(QIODevice::WriteOnly) || in.write(rtf.toUtf8()) < 0)
        return {};
    in.close();
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", dir.path()); // a profile of its own, apart from any running office
    p.setProcessEnvironment(env);
    p.start("soffice", { "--headless", "--convert-to", "html", "--outdir", dir.path(), in.fileName() });
    if (!p.waitForFinished(120000))
        return {};
    QFile out(dir.filePath("link.html"));
    return out.open(QIODevice::ReadOnly) ? QString::fromUtf8(out.readAll()) : QString();
}

// The first link of an HTML text: its href and its visible text without tags.
std::pair<QString, QString> firstAnchor(const QString& html)
{
    static const QRegularExpression anchor(
        "<a\\s+href=\"([^\"]*)\"[^>]*>(.*?)</a>", QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = anchor.match(html);
    if (!match.hasMatch())
        return {};
    QString text = match.captured(2);
    text.remove(QRegularExpression("<[^>]*>"));
    return { match.captured(1), text.simplified() };
}

} // namespace

class TestCliLink : public QObject {
    Q_OBJECT

    QString m_methodsUrl;

private slots:
    void initTestCase()
    {
        QVERIFY(QFile::exists(report()));
        // The TOC link of "Methods" as tolvo-cli toc gives it.
        const Run toc = runCli({ "toc", report(), "--prefix", "manual/", "--json" });
        QCOMPARE(toc.code, 0);
        for (const QJsonValue entry : QJsonDocument::fromJson(toc.out.toUtf8()).array())
            if (entry["title"].toString() == "Methods")
                m_methodsUrl = entry["url"].toString();
        QVERIFY(m_methodsUrl.startsWith("tolvo://manual/"));
    }

    void outputs_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("out");
        QTest::newRow("page url") << QStringList { "--page", "12" } << "tolvo://manual/12/\n";
        QTest::newRow("page markdown, condensed") << QStringList { "--page", "12", "--style", "condensed", "--format",
            "markdown" } << "[manual/12](tolvo://manual/12/)\n";
        QTest::newRow("point rounds halves to even")
            << QStringList { "--point", "12", "72.5", "700.5" } << "tolvo://manual/12/@loc/72x/700y/\n";
        QTest::newRow("point markdown shows the page") << QStringList { "--point", "12", "72.4", "700.6", "--style",
            "condensed-title", "--format", "markdown" } << "[manual/12](tolvo://manual/12/@loc/72x/701y/)\n";
        QTest::newRow("whole") << QStringList { "--whole" } << "tolvo://manual/\n";
        QTest::newRow("whole markdown") << QStringList { "--whole", "--format", "markdown" }
                                        << "[manual](tolvo://manual/)\n";
        QTest::newRow("toc markdown with title") << QStringList { "--toc", "Methods", "--style", "condensed-title",
            "--format", "markdown" } << "[manual/Methods]({methods})\n";
        QTest::newRow("toc found by a path of the title's words") << QStringList { "--toc", "Metho" } << "{methods}\n";
    }

    void outputs()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, out);
        // A prefix given without its "/" gets one.
        const Run run = runCli(QStringList { "link", report(), "--prefix", "manual" } + args);
        QCOMPARE(run.err, QString());
        QCOMPARE(run.code, 0);
        QCOMPARE(run.out, out.replace("{methods}", m_methodsUrl));
    }

    void failures_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::newRow("no such page") << QStringList { report(), "--page", "13" } << 3;
        QTest::newRow("no such entry") << QStringList { report(), "--toc", "Zoology" } << 3;
        QTest::newRow("no kind") << QStringList { report() } << 2;
        QTest::newRow("two kinds") << QStringList { report(), "--whole", "--page", "1" } << 2;
        QTest::newRow("point short of numbers") << QStringList { report(), "--point", "1", "2" } << 2;
        QTest::newRow("unknown format") << QStringList { report(), "--whole", "--format", "pdf" } << 2;
        QTest::newRow("missing file") << QStringList { "/nonexistent/x.pdf", "--whole" } << 1;
    }

    void failures()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        const Run run = runCli(QStringList { "link" } + args);
        QCOMPARE(run.code, code);
        QCOMPARE(run.out, QString());
        QVERIFY(run.err.startsWith("tolvo-cli: "));
    }

    void rtfReadsBack_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("href");
        QTest::newRow("page, condensed") << QStringList { "--page", "12", "--style", "condensed" } << "manual/12/"
                                         << "tolvo://manual/12/";
        QTest::newRow("point, expanded") << QStringList { "--point", "3", "100", "200", "--style", "expanded" }
                                         << "tolvo://manual/3/@loc/100x/200y/"
                                         << "tolvo://manual/3/@loc/100x/200y/";
        QTest::newRow("toc, titles") << QStringList { "--toc", "Methods", "--style", "condensed-title" }
                                     << "manual/Methods/"
                                     << "{methods}";
        QTest::newRow("whole") << QStringList { "--whole" } << "manual"
                               << "tolvo://manual/";
    }

    void rtfReadsBack()
    {
        if (QStandardPaths::findExecutable("pandoc").isEmpty())
            QFAIL("pandoc is not installed (tools/setup-debian.sh installs it)");
        QFETCH(QStringList, args);
        QFETCH(QString, text);
        QFETCH(QString, href);
        href.replace("{methods}", m_methodsUrl);
        const Run rtf = runCli(QStringList { "link", report(), "--prefix", "manual/", "--format", "rtf" } + args);
        QCOMPARE(rtf.code, 0);
        QVERIFY(rtf.out.startsWith("{\\rtf"));
        const QString html = pandocHtml(rtf.out);
        QCOMPARE(firstAnchor(html), std::make_pair(href, text));
        if (!QStandardPaths::findExecutable("soffice").isEmpty())
            QCOMPARE(firstAnchor(libreOfficeHtml(rtf.out)), std::make_pair(href, text));

        const Run htmlRun = runCli(QStringList { "link", report(), "--prefix", "manual/", "--format", "html" } + args);
        QCOMPARE(htmlRun.code, 0);
        QVERIFY(htmlRun.out.contains("href=\"" + href + "\""));
    }
};

QTEST_GUILESS_MAIN(TestCliLink)
#include "test_cli_link.moc"
