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
        Run r {p->exitCode(), QString::fromUtf8(p->readAllStandardOutput()), QString::fromUtf8(p->readAllStandardError())};
        delete p;
        return r;
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
        QTest::newRow("bool") << "TolvoShouldUseMarkdownForCopy" << "true" << "false";
        QTest::newRow("string") << "TolvoPDFViewRedBoxSizePref" << "Large" << "Medium";
        QTest::newRow("float") << "TolvoSearchSplitViewDividerPosition" << "220.5" << "170";
        QTest::newRow("dictionary") << "matchingDictionarySandboxed" << R"({"book":"book.pdf"})"
                                    << R"({"apphelp":"Tolvo User Guide.pdf"})";
    }
    void setGetDelete()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QString, printedDefault);
        QCOMPARE(run({"defaults", key}).out, printedDefault + "\n");
        QCOMPARE(run({"defaults", key, value}).code, 0);
        QCOMPARE(run({"defaults", key}).out, value + "\n");
        QVERIFY(run({"defaults"}).out.contains(QStringLiteral("%1 = %2  (set)\n").arg(key, value)));
        QCOMPARE(run({"defaults", "--delete", key}).code, 0);
        QCOMPARE(run({"defaults", key}).out, printedDefault + "\n");
        QVERIFY(!store().contains(key));
    }

    void badUsageStoresNothing_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("unknown key") << QStringList {"defaults", "NoSuchKey", "1"};
        QTest::newRow("bool as YES") << QStringList {"defaults", "TolvoAutoMatchEnabled", "YES"};
        QTest::newRow("integer as text") << QStringList {"defaults", "TolvoLastSelectedScratchpad", "two"};
        QTest::newRow("dictionary as list") << QStringList {"defaults", "routingDictionarySandboxed", "[]"};
        QTest::newRow("too many") << QStringList {"defaults", "TolvoAutoMatchEnabled", "true", "false"};
        QTest::newRow("delete unknown") << QStringList {"defaults", "--delete", "NoSuchKey"};
        QTest::newRow("unknown option") << QStringList {"defaults", "--frobnicate"};
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
            QProcess* a = start({"defaults", "TolvoPDFViewRedBoxSizePref", size});
            QProcess* b = start({"defaults", "TolvoLastSelectedScratchpad", QString::number(round % 5)});
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
};

QTEST_GUILESS_MAIN(TestCliDefaults)
#include "test_cli_defaults.moc"
