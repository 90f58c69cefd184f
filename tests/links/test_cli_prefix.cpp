// SPDX-License-Identifier: GPL-3.0-or-later
// tolvo-cli prefix, run as a separate process.
#include <QtTest>

#include "support/ToolSandbox.h"

class TestCliPrefix : public QObject {
    Q_OBJECT

    struct Run {
        int code;
        QString out;
        QString err;
    };

    tolvo::test::ToolSandbox m_home;

    Run run(const QStringList& args) const
    {
        const tolvo::test::ToolRun r = m_home.cli(QStringList { QStringLiteral("prefix") } + args);
        return { r.code, r.outText(), r.errText() };
    }

private slots:
    void prefix_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("out");
        QTest::newRow("file name") << QStringList { "Smith 2019 - Notes.pdf" } << 0 << "Smith.2019-Notes.pdf/\n";
        QTest::newRow("slash") << QStringList { "a/b" } << 0 << "a/b/\n";
        QTest::newRow("non-ascii") << QStringList { "Übersicht Teil 2" } << 0 << "Übersicht.Teil.2/\n";
        QTest::newRow("dash text after --") << QStringList { "--", "-5 notes" } << 0 << "5.notes/\n";
        QTest::newRow("-- as text after --") << QStringList { "--", "--" } << 1 << "";
        QTest::newRow("--help as text after --") << QStringList { "--", "--help" } << 0 << "help/\n";
        QTest::newRow("single dash is text") << QStringList { "-" } << 1 << "";
        QTest::newRow("nothing left") << QStringList { "!!!" } << 1 << "";
        QTest::newRow("empty text") << QStringList { "" } << 1 << "";
        QTest::newRow("only slash") << QStringList { "/" } << 1 << "";
        QTest::newRow("no text") << QStringList {} << 2 << "";
        QTest::newRow("only --") << QStringList { "--" } << 2 << "";
        QTest::newRow("two texts") << QStringList { "a", "b" } << 2 << "";
        QTest::newRow("unknown option") << QStringList { "-5" } << 2 << "";
        QTest::newRow("unknown long option") << QStringList { "--json", "a" } << 2 << "";
    }
    void prefix()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, out);
        const Run r = run(args);
        QCOMPARE(r.code, code);
        QCOMPARE(r.out, out);
        // Failures say why on standard error; success prints nothing there.
        QCOMPARE(r.err.isEmpty(), code == 0);
        if (code == 2)
            QVERIFY(r.err.contains(QLatin1String("tolvo-cli --help")));
    }

    void help()
    {
        const Run r = run({ QStringLiteral("--help") });
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.startsWith(QLatin1String("Usage: tolvo-cli prefix")));
        QVERIFY(r.err.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCliPrefix)
#include "test_cli_prefix.moc"
