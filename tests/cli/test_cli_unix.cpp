// SPDX-License-Identifier: GPL-3.0-or-later
// tolvo and tolvo-cli as a shell uses them: --help and --version, usage errors before any
// window, "-" for standard input and output, one option vocabulary, JSON Lines from search,
// and file names that are not UTF-8.
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "support/ToolSandbox.h"

namespace {

using Run = tolvo::test::ToolRun;
using tolvo::test::toolPath;

QString fixture(const QString& name)
{
    return tolvo::test::fixturePath(name);
}

} // namespace

class TestCliUnix : public QObject {
    Q_OBJECT

    tolvo::test::ToolSandbox m_home;
    // A platform that does not exist makes any start of the GUI fail loudly instead of opening a window.
    tolvo::test::ToolSandbox m_noGui;

    // Runs a program in its own home, input on standard input.
    Run run(const QString& name, const QStringList& args, const QByteArray& input = QByteArray(),
        const QString& folder = QString()) const
    {
        const tolvo::test::ToolSandbox& home = name == QLatin1String("tolvo") ? m_noGui : m_home;
        return home.run(name == QLatin1String("sh") ? QStringLiteral("/bin/sh") : name, args, input, folder);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid() && m_noGui.isValid());
        m_home.setEnv(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        m_noGui.setEnv(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        m_noGui.setEnv(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("no-such-platform"));
    }

    // What each program answers without doing anything: exit code, and a pattern that standard
    // output (or, for usage errors, standard error) matches while the other stream stays empty.
    void helpVersionAndUsage_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("stream");
        QTest::addColumn<QString>("pattern");
        const QString version = QStringLiteral("^%1 \\d+\\.\\d+\\.\\d+\\n$");
        QTest::newRow("tolvo --version") << "tolvo" << QStringList { "--version" } << 0 << "out"
                                         << version.arg("tolvo");
        QTest::newRow("tolvo --help") << "tolvo" << QStringList { "--help" } << 0 << "out"
                                      << "^Usage: tolvo .*Exit status:";
        QTest::newRow("tolvo -h after a file") << "tolvo" << QStringList { "a.pdf", "-h" } << 0 << "out"
                                               << "^Usage:";
        QTest::newRow("tolvo unknown option") << "tolvo" << QStringList { "--frobnicate" } << 2 << "err"
                                              << "^tolvo: unknown option '--frobnicate'\\nUsage: tolvo ";
        QTest::newRow("tolvo unknown option after a file") << "tolvo" << QStringList { "a.pdf", "-x" } << 2 << "err"
                                                           << "unknown option '-x'";
        QTest::newRow("tolvo Qt option without value") << "tolvo" << QStringList { "-platform" } << 2 << "err"
                                                       << "'-platform' needs a value";
        QTest::newRow("tolvo --benchmark-open alone") << "tolvo" << QStringList { "--benchmark-open" } << 2 << "err"
                                                      << "takes one FILE";
        QTest::newRow("tolvo-cli --version")
            << "tolvo-cli" << QStringList { "--version" } << 0 << "out" << version.arg("tolvo-cli");
        QTest::newRow("tolvo-cli --help") << "tolvo-cli" << QStringList { "--help" } << 0 << "out"
                                          << "^Usage: tolvo-cli .*Exit status: 0 done, 1 .*3 not found";
        QTest::newRow("tolvo-cli alone") << "tolvo-cli" << QStringList() << 2 << "err"
                                         << "^Usage: tolvo-cli ";
        QTest::newRow("tolvo-cli unknown option") << "tolvo-cli" << QStringList { "--frobnicate" } << 2 << "err"
                                                  << "unknown option '--frobnicate'";
        QTest::newRow("tolvo-cli unknown command") << "tolvo-cli" << QStringList { "frobnicate" } << 2 << "err"
                                                   << "unknown command 'frobnicate'";
        QTest::newRow("command help") << "tolvo-cli" << QStringList { "status", "-h" } << 0 << "out"
                                      << "^Usage:";
    }
    void helpVersionAndUsage()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, args);
        QFETCH(QString, stream);
        QFETCH(QString, pattern);
        const Run r = run(program, args);
        QTEST(r.code, "code");
        const QString shown = QString::fromUtf8(stream == QLatin1String("out") ? r.out : r.err);
        const QByteArray other = stream == QLatin1String("out") ? r.err : r.out;
        QVERIFY2(QRegularExpression(pattern, QRegularExpression::DotMatchesEverythingOption).match(shown).hasMatch(),
            qPrintable(shown));
        QVERIFY2(other.isEmpty(), other.constData());
    }

    // "-" as a FILE is standard input, "-o -" standard output: the same bytes as a file gets.
    void standardInputAndOutput_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("code");
        QTest::addColumn<QByteArray>("out");
        QTest::newRow("check reads standard input")
            << QStringList { "check", "-" } << QByteArray("intro\nsee tolvo://nowhere/12/ too\n") << 3
            << QByteArray("-:2: no-pdf tolvo://nowhere/12/\n");
        QTest::newRow("check, nothing to follow")
            << QStringList { "check", "-" } << QByteArray("no links\n") << 0 << QByteArray();
        QTest::newRow("check JSON from standard input")
            << QStringList { "check", "--json", "-" } << QByteArray("tolvo://nowhere/\n") << 3
            << QByteArray("[\n    {\n        \"file\": \"-\",\n        \"line\": 1,\n        \"state\": \"no-pdf\",\n"
                          "        \"url\": \"tolvo://nowhere/\"\n    }\n]\n");
    }
    void standardInputAndOutput()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, input);
        const Run r = run(QStringLiteral("tolvo-cli"), args, input);
        QTEST(r.code, "code");
        QTEST(r.out, "out");
    }

    // Writing to "-o -" gives standard output exactly what "-o FILE" writes into the file.
    void outputToStandardOutput_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("starts");
        const QString pdf = fixture(QStringLiteral("search.pdf"));
        QTest::newRow("opml") << QStringList { "opml", pdf } << QByteArray("<?xml");
        QTest::newRow("annotations") << QStringList { "annotations", pdf, "--format", "markdown" } << QByteArray();
        QTest::newRow("render") << QStringList { "render", pdf, "--page", "2", "--dpi", "36" }
                                << QByteArray("\x89PNG\r\n\x1a\n");
    }
    void outputToStandardOutput()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, starts);
        const QString file = m_home.path(QStringLiteral("out.bin"));
        const Run toFile = run(QStringLiteral("tolvo-cli"), args + QStringList { "-o", file });
        QCOMPARE(toFile.code, 0);
        QFile written(file);
        QVERIFY(written.open(QIODevice::ReadOnly));
        const Run toStdout = run(QStringLiteral("tolvo-cli"), args + QStringList { "-o", "-" });
        QCOMPARE(toStdout.code, 0);
        QVERIFY(toStdout.out.startsWith(starts));
        QCOMPARE(toStdout.out, written.readAll());
        QVERIFY(!QFileInfo::exists(QStringLiteral("-")));
    }

    // One vocabulary: named styles (numbers still read by opml), --json for JSON, --format for
    // the text formats; each pair that names the same thing gives the same bytes.
    void sameOutputForSynonyms_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("same");
        const QString pdf = fixture(QStringLiteral("search.pdf"));
        QTest::newRow("opml url") << QStringList { "opml", pdf, "--style", "url" } << QStringList { "opml", pdf };
        QTest::newRow("opml tolvo") << QStringList { "opml", pdf, "--style", "tolvo" }
                                    << QStringList { "opml", pdf, "--style", "1" };
        QTest::newRow("opml in-title") << QStringList { "opml", pdf, "--style", "in-title" }
                                       << QStringList { "opml", pdf, "--style", "2" };
    }
    void sameOutputForSynonyms()
    {
        QFETCH(QStringList, args);
        QFETCH(QStringList, same);
        const Run a = run(QStringLiteral("tolvo-cli"), args);
        const Run b = run(QStringLiteral("tolvo-cli"), same);
        QCOMPARE(a.code, 0);
        QVERIFY(!a.out.isEmpty());
        QCOMPARE(a.out, b.out);
    }

    void vocabularyErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        const QString pdf = fixture(QStringLiteral("search.pdf"));
        QTest::newRow("opml style 3") << QStringList { "opml", pdf, "--style", "3" } << "url, tolvo or in-title";
        QTest::newRow("opml link style") << QStringList { "opml", pdf, "--style", "condensed" }
                                         << "url, tolvo or in-title";
        QTest::newRow("JSON as a format") << QStringList { "annotations", pdf, "--format", "json" } << "use --json";
        QTest::newRow("JSON and a format")
            << QStringList { "annotations", pdf, "--json", "--format", "rtf" } << "exclude each other";
        QTest::newRow("routes JSON and names") << QStringList { "routes", "--json", "--names" } << "exclude each other";
    }
    void vocabularyErrors()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        const Run r = run(QStringLiteral("tolvo-cli"), args);
        QCOMPARE(r.code, 2);
        QVERIFY2(QString::fromUtf8(r.err).contains(message), r.err.constData());
        QVERIFY(r.out.isEmpty());
    }

    // search --json: one complete object per line, in the pane's order.
    void searchJsonLines()
    {
        const Run r = run(QStringLiteral("tolvo-cli"),
            { QStringLiteral("search"), fixture(QStringLiteral("search.pdf")), QStringLiteral("blue whale"),
                QStringLiteral("--json") });
        QVERIFY2(r.code == 0, r.err.constData());
        const QList<QByteArray> lines = r.out.split('\n');
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines.last().isEmpty());
        const QStringList types = { "TOC", "Note", "Text" };
        for (int i = 0; i < 3; ++i) {
            QJsonParseError error;
            const QJsonObject row = QJsonDocument::fromJson(lines[i], &error).object();
            QCOMPARE(error.error, QJsonParseError::NoError);
            QCOMPARE(row.value(QLatin1String("resultType")).toString(), types[i]);
        }
        QCOMPARE(QJsonDocument::fromJson(lines[2]).object().value(QLatin1String("pageIndex")).toInt(), 3);
    }

    // File names are the file system's bytes: a Latin-1 name on a UTF-8 system is read and written.
    void namesInAnyEncoding_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::newRow("read a PDF") << "\"$0\" info \"$(printf 'caf\\351.pdf')\"" << 0 << "Pages:"
                                    << "";
        // A name that is no text cannot be routed: the link is printed, and the status says so.
        QTest::newRow("its name kept for the prefix")
            << "\"$0\" link \"$(printf 'caf\\351.pdf')\" --whole" << 1 << "tolvo://caf"
            << "could not be stored";
        QTest::newRow("notes file") << "printf 'tolvo://x/1/\\n' > \"$(printf 'n\\351.md')\"; \"$0\" check "
                                       "\"$(printf 'n\\351.md')\""
                                    << 3 << QString::fromUtf8("n\xef\xbf\xbd.md:1: no-pdf") << "";
        QTest::newRow("write OPML") << "\"$0\" opml \"$(printf 'caf\\351.pdf')\" -o \"$(printf 'o\\351.opml')\" && "
                                       "head -c 5 \"$(printf 'o\\351.opml')\""
                                    << 0 << "<?xml"
                                    << "";
        QTest::newRow("missing file") << "\"$0\" info \"$(printf 'gon\\351.pdf')\"" << 1 << ""
                                      << QString::fromUtf8("gon\xef\xbf\xbd.pdf");
    }
    void namesInAnyEncoding()
    {
        QFETCH(QString, script);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QTemporaryDir folder;
        QVERIFY(QFile::copy(fixture(QStringLiteral("search.pdf")), folder.filePath(QStringLiteral("plain.pdf"))));
        // The Latin-1 name is made by the shell: a QString cannot hold its bytes.
        const Run made
            = run(QStringLiteral("sh"), { "-c", "cp plain.pdf \"$(printf 'caf\\351.pdf')\"" }, {}, folder.path());
        QCOMPARE(made.code, 0);
        const Run r = run(QStringLiteral("sh"), { QStringLiteral("-c"), script, toolPath(QStringLiteral("tolvo-cli")) },
            {}, folder.path());
        QTEST(r.code, "code");
        QVERIFY2(QString::fromUtf8(r.out).contains(out), r.out.constData());
        QVERIFY2(QString::fromUtf8(r.err).contains(err), r.err.constData());
        // Never a descriptor's name where the file's own belongs.
        QVERIFY(!r.out.contains("/proc/self/fd") && !r.err.contains("/proc/self/fd"));
    }
};

QTEST_GUILESS_MAIN(TestCliUnix)
#include "test_cli_unix.moc"
