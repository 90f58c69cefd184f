// SPDX-License-Identifier: GPL-3.0-or-later
// tolvo-cli defaults, run as a separate process over a temporary store.
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestCliDefaults : public QObject {
    Q_OBJECT

    QTemporaryDir m_config;

    QString cli() const { return qEnvironmentVariable("TOLVO_BINARY_DIR") + QStringLiteral("/src/tolvo-cli"); }
    QString storePath() const { return m_config.filePath(QStringLiteral("Tolvo/defaults.json")); }

    QProcess* start(const QStringList& args)
    {
        auto* p = new QProcess(this);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_config.path());
        p->setProcessEnvironment(env);
        p->start(cli(), args);
        return p;
    }

    struct Run {
        int code;
        QString out;
        QString err;
    };
    Run run(const QStringList& args)
    {
        QProcess* p = start(args);
        p->waitForFinished(30000);
        Run r { p->exitCode(), QString::fromUtf8(p->readAllStandardOutput()),
            QString::fromUtf8(p->readAllStandardError()) };
        delete p;
        return r;
    }

    // A shell that mounts a small file system of its own at the store's folder and runs script in it;
    // empty when this machine allows no such mount.
    QStringList privateMount(const QString& script) const
    {
        return { "-rm", "sh", "-ec",
            QStringLiteral("mount -t tmpfs -o size=64k tmpfs \"$0\"; mkdir -p \"$0/Tolvo\"; ") + script,
            m_config.path() };
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
        QCOMPARE(run({ "defaults", key }).out, printedDefault + "\n");
        QCOMPARE(run({ "defaults", key, value }).code, 0);
        QCOMPARE(run({ "defaults", key }).out, value + "\n");
        QVERIFY(run({ "defaults" }).out.contains(QStringLiteral("%1 = %2  (set)\n").arg(key, value)));
        QCOMPARE(run({ "defaults", "--delete", key }).code, 0);
        QCOMPARE(run({ "defaults", key }).out, printedDefault + "\n");
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
        const Run r = run(args);
        QCOMPARE(r.code, 2);
        QVERIFY(r.out.isEmpty());
        QVERIFY(r.err.startsWith(QLatin1String("tolvo-cli: ")));
        QVERIFY(!QFile::exists(storePath()));
    }

    void concurrentWritersKeepBothKeys()
    {
        // Two processes at the same moment, many times: neither may lose the other's key.
        for (int round = 0; round < 8; ++round) {
            QFile::remove(storePath());
            const QString size = round % 2 ? "Large" : "Small";
            QProcess* a = start({ "defaults", "TolvoPDFViewRedBoxSizePref", size });
            QProcess* b = start({ "defaults", "TolvoLastSelectedScratchpad", QString::number(round % 5) });
            QVERIFY(a->waitForFinished(30000));
            QVERIFY(b->waitForFinished(30000));
            QCOMPARE(a->exitCode(), 0);
            QCOMPARE(b->exitCode(), 0);
            const QJsonObject o = store();
            QCOMPARE(o.value("TolvoPDFViewRedBoxSizePref").toString(), size);
            QCOMPARE(o.value("TolvoLastSelectedScratchpad").toInt(-1), round % 5);
            delete a;
            delete b;
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
        const QString pdf = m_config.filePath(QStringLiteral("book.pdf"));
        QFile f(pdf);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("%PDF-1.4\n%%EOF\n");
        f.close();
        QList<QProcess*> loops;
        for (int w = 0; w < writers; ++w) {
            auto* p = new QProcess(this);
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_config.path());
            p->setProcessEnvironment(env);
            p->start(QStringLiteral("sh"),
                { "-c",
                    QStringLiteral(
                        "i=0; while [ $i -lt %1 ]; do \"$0\" prefix --assign w%2n$i \"$1\" >/dev/null || exit 1; "
                        "i=$((i+1)); done")
                        .arg(writes)
                        .arg(w),
                    cli(), pdf });
            loops.append(p);
        }
        for (QProcess* p : std::as_const(loops)) {
            QVERIFY(p->waitForFinished(-1));
            QVERIFY2(p->exitCode() == 0, p->readAllStandardError().constData());
        }
        const QJsonObject table = store().value("routingDictionarySandboxed").toObject();
        int kept = 0;
        for (int w = 0; w < writers; ++w)
            for (int i = 0; i < writes; ++i)
                kept += table.contains(QStringLiteral("w%1n%2/").arg(w).arg(i)); // stored keys end in "/"
        QCOMPARE(kept, writers * writes);
        qDeleteAll(loops);
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
        QProcess probe;
        probe.start(QStringLiteral("unshare"), privateMount(QStringLiteral("true")));
        if (!probe.waitForFinished(10000) || probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0)
            QSKIP("this machine lets no test mount a file system of its own");
        const QStringList args
            = privateMount(script + QStringLiteral("; exec \"$1\" defaults TolvoPDFViewRedBoxSizePref Large"));
        QProcess p;
        p.setProcessEnvironment([this] {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_config.path());
            return env;
        }());
        p.start(QStringLiteral("unshare"), QStringList(args) << cli());
        QVERIFY(p.waitForFinished(30000));
        const QString err = QString::fromUtf8(p.readAllStandardError());
        QCOMPARE(p.exitCode(), 1);
        // The last line is the command's own; the log may say the same before it.
        QVERIFY2(err.endsWith(QStringLiteral("\ntolvo-cli: cannot write %1: %2\n").arg(storePath(), cause)),
            qPrintable(err));
    }
};

QTEST_GUILESS_MAIN(TestCliDefaults)
#include "test_cli_defaults.moc"
