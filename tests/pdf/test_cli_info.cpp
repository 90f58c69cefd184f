// SPDX-License-Identifier: GPL-3.0-or-later
// tolvo-cli info, run as a separate process over the fixtures, and the page labels of a real
// manual compared with PyMuPDF's.
#include "pdf/PdfDocument.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

#include "support/ToolSandbox.h"

namespace {

QString fixture(const QString& name)
{
    return QDir(qEnvironmentVariable("TOLVO_FIXTURES")).filePath(name);
}

struct Run {
    int code = -1;
    QString out;
    QString err;
};

const tolvo::test::ToolSandbox& home()
{
    static const tolvo::test::ToolSandbox sandbox;
    return sandbox;
}

Run run(const QString& program, const QStringList& args)
{
    const tolvo::test::ToolRun r = home().run(program, args);
    return { r.code, r.outText(), r.errText() };
}

Run cli(const QStringList& args)
{
    return run(QStringLiteral("tolvo-cli"), args);
}

const char* const octave = "/usr/share/doc/octave/octave.pdf";

} // namespace

class TestCliInfo : public QObject {
    Q_OBJECT

private slots:
    void json_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("pages");
        QTest::addColumn<int>("outline");
        QTest::addColumn<int>("annotations");
        QTest::addColumn<int>("links");
        QTest::addColumn<QString>("lastLabel");
        QTest::newRow("outline") << "outline.pdf" << 6 << 9 << 0 << 0 << "6";
        QTest::newRow("annotations, links apart") << "annotations.pdf" << 2 << 0 << 13 << 1 << "2";
        QTest::newRow("labels") << "labels.pdf" << 16 << 0 << 0 << 0 << "16";
        QTest::newRow("cyclic outline") << "cyclic-outline.pdf" << 1 << 105 << 0 << 0 << "1";
    }
    void json()
    {
        QFETCH(QString, file);
        QFETCH(int, pages);
        QFETCH(int, outline);
        QFETCH(int, annotations);
        QFETCH(int, links);
        QFETCH(QString, lastLabel);
        const Run r = cli({ QStringLiteral("info"), fixture(file), QStringLiteral("--json") });
        QCOMPARE(r.code, 0);
        QCOMPARE(r.err, QString());
        const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8()).object();
        QCOMPARE(o.value("file").toString(), QFileInfo(fixture(file)).absoluteFilePath());
        QCOMPARE(o.value("pageCount").toInt(), pages);
        QCOMPARE(o.value("pageLabels").toArray().size(), pages);
        QCOMPARE(o.value("pageLabels").toArray().last().toString(), lastLabel);
        QCOMPARE(o.value("outlineCount").toInt(), outline);
        QCOMPARE(o.value("annotationCount").toInt(), annotations);
        QCOMPARE(o.value("linkCount").toInt(), links);
    }

    void plainText()
    {
        const Run r = cli({ QStringLiteral("info"), fixture("labels.pdf") });
        QCOMPARE(r.code, 0);
        QVERIFY2(r.out.contains(QStringLiteral("Pages:           16\n")), qPrintable(r.out));
        QVERIFY2(
            r.out.contains(QStringLiteral("Page labels:     i-iv, 1-3, iii-iv, A-1-A-2, Index, \u00c4-1, Z, AA, 16\n")),
            qPrintable(r.out));
        QVERIFY(r.out.contains(QStringLiteral("Annotations:     0 (and 0 links)\n")));
    }

    void failures_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("err");
        QTest::newRow("not a pdf") << QStringList { "info", fixture("not-a-pdf.pdf"), "--json" } << 1
                                   << "tolvo-cli: not-a-pdf.pdf is not a PDF file\n";
        QTest::newRow("password") << QStringList {
            "info", fixture("encrypted.pdf")
        } << 1 << "tolvo-cli: encrypted.pdf is password protected: give its password with --password PASSWORD\n";
        QTest::newRow("missing") << QStringList { "info", fixture("gone.pdf") } << 1
                                 << "tolvo-cli: gone.pdf could not be read: there is no such file\n";
        QTest::newRow("no file") << QStringList { "info", "--json" } << 2 << "";
        QTest::newRow("two files") << QStringList { "info", fixture("outline.pdf"), fixture("labels.pdf") } << 2 << "";
        QTest::newRow("unknown option") << QStringList { "info", "--xml", fixture("outline.pdf") } << 2 << "";
    }
    void failures()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, err);
        const Run r = cli(args);
        QCOMPARE(r.code, code);
        QCOMPARE(r.out, QString());
        if (code == 2)
            QVERIFY(r.err.startsWith(QStringLiteral("tolvo-cli: ")));
        else
            QCOMPARE(r.err, err);
    }

    // The Octave manual numbers its front matter in roman: our labels must be PyMuPDF's.
    void realManualMatchesPyMuPDF()
    {
        if (!QFile::exists(octave))
            QFAIL("the Octave manual is not installed (tools/setup-debian.sh installs octave-doc)");
        const Run oracle = run(QStringLiteral("/usr/bin/python3"),
            { QStringLiteral("-c"),
                QStringLiteral("import fitz, json, sys\n"
                               "d = fitz.open(sys.argv[1])\n"
                               "print(json.dumps({'labels': [p.get_label() for p in d],"
                               " 'toc': len(d.get_toc())}))\n"),
                QString::fromLatin1(octave) });
        if (oracle.code != 0)
            QFAIL(qPrintable(QStringLiteral("PyMuPDF is not usable: ") + oracle.err));
        const QJsonObject expected = QJsonDocument::fromJson(oracle.out.toUtf8()).object();
        QStringList labels;
        for (const QJsonValue& v : expected.value("labels").toArray())
            labels << v.toString();

        const tolvo::pdf::OpenResult opened = tolvo::pdf::openDocument(QString::fromLatin1(octave));
        QVERIFY2(opened.document, qPrintable(opened.error));
        QCOMPARE(opened.document->pageLabels(), labels);
        QVERIFY(labels.first() != QStringLiteral("1")); // the front matter is labelled

        const Run info = cli({ QStringLiteral("info"), QString::fromLatin1(octave), QStringLiteral("--json") });
        QCOMPARE(info.code, 0);
        const QJsonObject o = QJsonDocument::fromJson(info.out.toUtf8()).object();
        QCOMPARE(o.value("pageCount").toInt(), labels.size());
        QCOMPARE(o.value("pageLabels").toArray(), QJsonArray::fromStringList(labels));
        QCOMPARE(o.value("outlineCount").toInt(), expected.value("toc").toInt());
    }
};

QTEST_GUILESS_MAIN(TestCliInfo)
#include "test_cli_info.moc"
