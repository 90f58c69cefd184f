// SPDX-License-Identifier: GPL-3.0-or-later
// The running instance end to end, with real processes: links handed over by
// later `tolvo` processes, the alert, the guide's help links, and two
// processes racing to become the instance.
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

class TestInstanceE2E : public QObject {
    Q_OBJECT

    QTemporaryDir m_home;
    QList<QProcess*> m_instances;

    QString binary(const QString& name) const
    {
        return qEnvironmentVariable("TOLVO_BINARY_DIR") + QStringLiteral("/src/") + name;
    }
    QString fixture(const QString& name) const { return qEnvironmentVariable("TOLVO_FIXTURES") + u'/' + name; }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", m_home.path());
        env.insert("XDG_CONFIG_HOME", m_home.filePath(".config"));
        env.insert("XDG_DATA_HOME", m_home.filePath(".local/share"));
        env.insert("XDG_RUNTIME_DIR", m_home.filePath("run"));
        env.insert("XDG_DATA_DIRS", m_home.filePath("nowhere"));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        return env;
    }

    QProcess* startTolvo(const QStringList& args)
    {
        auto* p = new QProcess(this);
        p->setProcessEnvironment(environment());
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->start(binary("tolvo"), args);
        p->waitForStarted();
        return p;
    }

    int handOver(const QStringList& args)
    {
        QProcess* p = startTolvo(args);
        const bool finished = p->waitForFinished(10000);
        const int code = finished ? p->exitCode() : -1;
        if (!finished)
            m_instances << p;
        else
            delete p;
        return code;
    }

    std::optional<QJsonObject> status()
    {
        QProcess p;
        p.setProcessEnvironment(environment());
        p.start(binary("tolvo-cli"), { "status", "--json" });
        p.waitForFinished(10000);
        if (p.exitCode() != 0)
            return std::nullopt;
        return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    }

    // Polls the instance until check holds, for at most timeoutMs.
    bool waitFor(const std::function<bool(const QJsonObject&)>& check, int timeoutMs = 10000)
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < timeoutMs) {
            if (const auto s = status(); s && check(*s))
                return true;
            QTest::qWait(100);
        }
        return false;
    }

    static QJsonObject documentNamed(const QJsonObject& status, const QString& name)
    {
        for (const QJsonValue& v : status.value("documents").toArray())
            if (v.toObject().value("file").toString().endsWith(u'/' + name))
                return v.toObject();
        return {};
    }

    void stopInstances()
    {
        for (QProcess* p : std::as_const(m_instances)) {
            p->terminate();
            if (!p->waitForFinished(5000))
                p->kill();
            p->waitForFinished(2000);
            delete p;
        }
        m_instances.clear();
    }

private slots:
    void init()
    {
        QDir(m_home.path()).removeRecursively();
        QDir().mkpath(m_home.filePath("run"));
        QFile::setPermissions(m_home.filePath("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    void cleanup() { stopInstances(); }

    void linksReachTheInstance()
    {
        QVERIFY(!status().has_value());
        m_instances << startTolvo({});
        // The first start opens the guide, which takes the prefix apphelp/.
        QVERIFY(waitFor([](const QJsonObject& s) {
            return documentNamed(s, "Tolvo User Guide.pdf").value("prefix").toString() == "apphelp/";
        }));
        // Past the new window's own first positioning.
        QTest::qWait(800);

        // A help link for the open guide moves it at once and selects the entry.
        QCOMPARE(handOver({ "tolvo://apphelp/preferences/prefix" }), 0);
        QVERIFY(waitFor([](const QJsonObject& s) {
            return documentNamed(s, "Tolvo User Guide.pdf").value("selectedTocTitle").toString() == "Prefix";
        }));

        // A link opened the way other programs open it reaches the instance too:
        // start-up made Tolvo the handler of tolvo:// links.
        const QString xdgOpen = QStandardPaths::findExecutable("xdg-open");
        if (!xdgOpen.isEmpty()) {
            QProcess open;
            QProcessEnvironment env = environment();
            env.insert("DISPLAY", ":0"); // xdg-open asks for a display before it reads the handlers
            env.remove("XDG_CURRENT_DESKTOP");
            open.setProcessEnvironment(env);
            open.start(xdgOpen, { "tolvo://apphelp/preferences/automatch" });
            QVERIFY(open.waitForFinished(20000));
            QCOMPARE(open.exitCode(), 0);
            QVERIFY(waitFor([](const QJsonObject& s) {
                return documentNamed(s, "Tolvo User Guide.pdf").value("selectedTocTitle").toString() == "Automatch";
            }));
        }

        // A whole-PDF link leaves the view where it is.
        const int before = documentNamed(*status(), "Tolvo User Guide.pdf").value("pageIndex").toInt();
        QCOMPARE(handOver({ "tolvo://apphelp/" }), 0);
        QTest::qWait(300);
        QCOMPARE(documentNamed(*status(), "Tolvo User Guide.pdf").value("pageIndex").toInt(), before);

        // An unknown prefix shows the alert.
        QCOMPARE(handOver({ "tolvo://nosuch/3/" }), 0);
        QVERIFY(waitFor([](const QJsonObject& s) { return s.value("alert").toString() == "Unable to locate PDF"; }));
    }

    void helpWorksOnEveryStart_data()
    {
        QTest::addColumn<bool>("guideBefore"); // an earlier start opened the guide
        QTest::addColumn<bool>("helpOnStart");
        QTest::addColumn<bool>("withPdf"); // this start opens a PDF
        QTest::newRow("first start with a PDF") << false << true << true;
        QTest::newRow("first start, guide switched off") << false << false << false;
        QTest::newRow("second start") << true << true << false;
        QTest::newRow("second start with a PDF") << true << true << true;
    }
    void helpWorksOnEveryStart()
    {
        QFETCH(bool, guideBefore);
        QFETCH(bool, helpOnStart);
        QFETCH(bool, withPdf);
        const auto guideAt = [](const QString& title) {
            return [title](const QJsonObject& s) {
                const QJsonObject guide = documentNamed(s, "Tolvo User Guide.pdf");
                return guide.value("prefix").toString() == "apphelp/"
                    && (title.isEmpty() || guide.value("selectedTocTitle").toString() == title);
            };
        };
        if (guideBefore) {
            m_instances << startTolvo({});
            QVERIFY(waitFor(guideAt(QString())));
            stopInstances();
        }
        if (!helpOnStart) {
            QDir().mkpath(m_home.filePath(".config/Tolvo"));
            QFile store(m_home.filePath(".config/Tolvo/defaults.json"));
            QVERIFY(store.open(QIODevice::WriteOnly));
            store.write("{\"TolvoShowHelpOnStart\": false}\n");
        }
        m_instances << startTolvo(withPdf ? QStringList { fixture("labels.pdf") } : QStringList {});
        QVERIFY(waitFor([withPdf](const QJsonObject& s) {
            return withPdf ? !documentNamed(s, "labels.pdf").isEmpty() : s.contains("documents");
        }));
        // What Help and the preference window's "?" buttons send.
        QCOMPARE(handOver({ "tolvo://apphelp/preferences/prefix" }), 0);
        QVERIFY(waitFor(guideAt("Prefix")));
        QVERIFY(waitFor([](const QJsonObject& s) { return s.value("alert").isNull(); }));
    }

    void hostileInputGetsHonestAnswers()
    {
        m_instances << startTolvo({ fixture("long-label.pdf") });
        QVERIFY(waitFor([this](const QJsonObject& s) { return !documentNamed(s, "long-label.pdf").isEmpty(); }));

        // A page label far beyond a frame: the status still arrives, with the label cut and marked.
        QProcess cli;
        cli.setProcessEnvironment(environment());
        cli.start(binary("tolvo-cli"), { "status", "--json" });
        QVERIFY(cli.waitForFinished(10000));
        QCOMPARE(cli.exitCode(), 0);
        QVERIFY(cli.readAllStandardError().contains("cut"));
        const QJsonObject s = QJsonDocument::fromJson(cli.readAllStandardOutput()).object();
        QVERIFY(s.value("cut").toBool());
        const QString label = documentNamed(s, "long-label.pdf").value("pageLabel").toString();
        QVERIFY2(label.startsWith("LLLL") && label.endsWith(QString::fromUtf16(u"\u2026 [cut]")),
            qPrintable(label.right(40)));

        // Links that find nothing share one alert, which counts them.
        QCOMPARE(handOver({ "tolvo://nosuch/1/", "tolvo://nosuch/2/", "tolvo://nosuch/3/" }), 0);
        QVERIFY(waitFor([](const QJsonObject& st) {
            return st.value("alert").toString() == "Unable to locate PDF"
                && st.value("alertDetails").toString().contains("tolvo://nosuch/1/ and 2 more links.");
        }));
        QCOMPARE(handOver({ "tolvo://nosuch/4/" }), 0);
        QVERIFY(waitFor([](const QJsonObject& st) {
            return st.value("alertDetails").toString().contains("tolvo://nosuch/1/ and 3 more links.");
        }));

        // An argument too long to pass on is left out, and the exit status says so.
        QCOMPARE(handOver({ QString(70000, u'x'), "tolvo://nosuch/5/" }), 2);
        QVERIFY(waitFor(
            [](const QJsonObject& st) { return st.value("alertDetails").toString().contains("and 4 more links."); }));
    }

    void closedPdfOpensAndMovesLater()
    {
        // A routed PDF that is not open: it opens, then moves to the target.
        const QString pdf = fixture("labels.pdf");
        QProcess assign;
        assign.setProcessEnvironment(environment());
        assign.start(binary("tolvo-cli"), { "prefix", "--assign", "book", pdf });
        QVERIFY(assign.waitForFinished(10000));
        QCOMPARE(assign.exitCode(), 0);

        m_instances << startTolvo({ "tolvo://book/2/" });
        QVERIFY(waitFor([](const QJsonObject& s) {
            const QJsonObject d = documentNamed(s, "labels.pdf");
            return d.value("prefix").toString() == "book/" && d.value("pageLabel").toString() == "2";
        }));
        // A location link by a second process, with a percent-encoded target.
        QCOMPARE(handOver({ "tolvo://book/A-1/@loc/72x/700y/" }), 0);
        QVERIFY(waitFor([](const QJsonObject& s) {
            return documentNamed(s, "labels.pdf").value("pageLabel").toString() == "A-1";
        }));
    }

    void racingProcessesEndAsOneInstance()
    {
        QProcess* a = startTolvo({ fixture("outline.pdf") });
        QProcess* b = startTolvo({ fixture("labels.pdf") });
        m_instances << a << b;
        QVERIFY(waitFor([](const QJsonObject& s) {
            return !documentNamed(s, "outline.pdf").isEmpty() && !documentNamed(s, "labels.pdf").isEmpty();
        }));
        // One of them handed over and is gone; the other is the instance.
        QTRY_VERIFY_WITH_TIMEOUT(a->state() == QProcess::NotRunning || b->state() == QProcess::NotRunning, 10000);
        QVERIFY(a->state() == QProcess::Running || b->state() == QProcess::Running);
        QCOMPARE(status()->value("documents").toArray().size(), 2);
    }

    void crashedInstanceIsReplaced()
    {
        QProcess* first = startTolvo({ fixture("outline.pdf") });
        QVERIFY(waitFor([](const QJsonObject& s) { return !documentNamed(s, "outline.pdf").isEmpty(); }));
        first->kill();
        first->waitForFinished(5000);
        delete first;
        m_instances << startTolvo({ fixture("labels.pdf") });
        QVERIFY(waitFor([](const QJsonObject& s) { return !documentNamed(s, "labels.pdf").isEmpty(); }));
    }
};

QTEST_GUILESS_MAIN(TestInstanceE2E)
#include "test_instance_e2e.moc"
