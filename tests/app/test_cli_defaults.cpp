// SPDX-License-Identifier: GPL-3.0-or-later
// tolvo-cli defaults, run as a separate process over a temporary store.
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

#include "support/ToolSandbox.h"

using tolvo::test::ToolRun;
using tolvo::test::ToolSandbox;

class TestCliDefaults : public QObject {
    Q_OBJECT

    ToolSandbox m_home;

    QString storePath() const { return m_home.storePath(); }
    ToolRun run(const QStringList& args) const { return m_home.cli(args); }

    // A shell that mounts a small file system of its own at the store's folder and runs script in it;
    // empty when this machine allows no such mount.
    QStringList privateMount(const QString& script) const
    {
        return { "-rm", "sh", "-ec",
            QStringLiteral("mount -t tmpfs -o size=64k tmpfs \"$0\"; mkdir -p \"$0/Tolvo\"; ") + script,
            m_home.configHome() };
    }

    QJsonObject store() const
    {
        QFile f(storePath());
        return f.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(f.readAll()).object() : QJsonObject();
    }

private slots:
    void init() { QFile::remove(storePath()); }

    void setGetDelete_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("printedDefault");
        QTest::newRow("bool") << "TolvoShouldUseMarkdownForCopy"
                              << "true"
                              << "false";
        QTest::newRow("string") << "TolvoPDFViewRedBoxSizePref"
                                << "Large"
                                << "Medium";
        QTest::newRow("float") << "TolvoSearchSplitViewDividerPosition"
                               << "220.5"
                               << "170";
        QTest::newRow("dictionary") << "matchingDictionarySandboxed"
                                    << R"({"book":"book.pdf"})"
                                    << R"({"apphelp":"Tolvo User Guide.pdf"})";
    }
    void setGetDelete()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QString, printedDefault);
        QCOMPARE(run({ "defaults", key }).outText(), printedDefault + "\n");
        QCOMPARE(run({ "defaults", key, value }).code, 0);
        QCOMPARE(run({ "defaults", key }).outText(), value + "\n");
        QVERIFY(run({ "defaults" }).outText().contains(QStringLiteral("%1 = %2  (set)\n").arg(key, value)));
        QCOMPARE(run({ "defaults", "--delete", key }).code, 0);
        QCOMPARE(run({ "defaults", key }).outText(), printedDefault + "\n");
        QVERIFY(!store().contains(key));
    }

    void badUsageStoresNothing_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("unknown key") << QStringList { "defaults", "NoSuchKey", "1" };
        QTest::newRow("bool as YES") << QStringList { "defaults", "TolvoAutoMatchEnabled", "YES" };
        QTest::newRow("integer as text") << QStringList { "defaults", "TolvoLastSelectedScratchpad", "two" };
        QTest::newRow("dictionary as list") << QStringList { "defaults", "routingDictionarySandboxed", "[]" };
        QTest::newRow("too many") << QStringList { "defaults", "TolvoAutoMatchEnabled", "true", "false" };
        QTest::newRow("delete unknown") << QStringList { "defaults", "--delete", "NoSuchKey" };
        QTest::newRow("unknown option") << QStringList { "defaults", "--frobnicate" };
    }
    void badUsageStoresNothing()
    {
        QFETCH(QStringList, args);
        const ToolRun r = run(args);
        QCOMPARE(r.code, 2);
        QVERIFY(r.out.isEmpty());
        QVERIFY(r.err.startsWith("tolvo-cli: "));
        QVERIFY(!QFile::exists(storePath()));
    }

    void concurrentWritersKeepBothKeys()
    {
        // Two processes at the same moment, many times: neither may lose the other's key.
        for (int round = 0; round < 8; ++round) {
            QFile::remove(storePath());
            const QString size = round % 2 ? "Large" : "Small";
            auto a = m_home.start("tolvo-cli", { "defaults", "TolvoPDFViewRedBoxSizePref", size });
            auto b
                = m_home.start("tolvo-cli", { "defaults", "TolvoLastSelectedScratchpad", QString::number(round % 5) });
            QCOMPARE(ToolSandbox::finish(*a).code, 0);
            QCOMPARE(ToolSandbox::finish(*b).code, 0);
            const QJsonObject o = store();
            QCOMPARE(o.value("TolvoPDFViewRedBoxSizePref").toString(), size);
            QCOMPARE(o.value("TolvoLastSelectedScratchpad").toInt(-1), round % 5);
        }
    }

    void manyWritersLoseNothing()
    {
        // Eight processes each store prefixes one tolvo-cli run at a time; every one must be kept.
        // 30 runs each keep the lock contended for the suite; TOLVO_CONTENTION_WRITES=200 is the full run.
        constexpr int writers = 8;
        const int writes = qEnvironmentVariableIntValue("TOLVO_CONTENTION_WRITES") > 0
            ? qEnvironmentVariableIntValue("TOLVO_CONTENTION_WRITES")
            : 30;
        const QString pdf = m_home.path(QStringLiteral("book.pdf"));
        QFile f(pdf);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("%PDF-1.4\n%%EOF\n");
        f.close();
        std::vector<std::unique_ptr<QProcess>> loops;
        for (int w = 0; w < writers; ++w) {
            loops.push_back(m_home.start("/bin/sh",
                { "-c",
                    QStringLiteral(
                        "i=0; while [ $i -lt %1 ]; do \"$0\" prefix --assign w%2n$i \"$1\" >/dev/null || exit 1; "
                        "i=$((i+1)); done")
                        .arg(writes)
                        .arg(w),
                    tolvo::test::toolPath("tolvo-cli"), pdf }));
        }
        for (const auto& p : loops) {
            const ToolRun r = ToolSandbox::finish(*p, 600000);
            QVERIFY2(r.code == 0, r.err.constData());
        }
        const QJsonObject table = store().value("routingDictionarySandboxed").toObject();
        int kept = 0;
        for (int w = 0; w < writers; ++w)
            for (int i = 0; i < writes; ++i)
                kept += table.contains(QStringLiteral("w%1n%2/").arg(w).arg(i)); // stored keys end in "/"
        QCOMPARE(kept, writers * writes);
    }

    void writeFailuresNameTheCause_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("cause");
        QTest::newRow("read-only") << "mount -o remount,ro \"$0\""
                                   << "the file system is read-only";
        QTest::newRow("disk full") << "cat /dev/zero > \"$0/filler\" 2>/dev/null || true"
                                   << "the disk is full";
    }
    void writeFailuresNameTheCause()
    {
        QFETCH(QString, script);
        QFETCH(QString, cause);
        if (m_home.run("/usr/bin/unshare", privateMount(QStringLiteral("true"))).code != 0)
            QSKIP("this machine lets no test mount a file system of its own");
        const QStringList args
            = privateMount(script + QStringLiteral("; exec \"$1\" defaults TolvoPDFViewRedBoxSizePref Large"));
        const ToolRun r = m_home.run("/usr/bin/unshare", QStringList(args) << tolvo::test::toolPath("tolvo-cli"));
        const QString err = r.errText();
        QCOMPARE(r.code, 1);
        // The last line is the command's own; the log may say the same before it.
        QVERIFY2(err.endsWith(QStringLiteral("\ntolvo-cli: cannot write %1: %2\n").arg(storePath(), cause)),
            qPrintable(err));
    }
};

QTEST_GUILESS_MAIN(TestCliDefaults)
#include "test_cli_defaults.moc"
