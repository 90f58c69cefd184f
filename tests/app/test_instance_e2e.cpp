// SPDX-License-Identifier: GPL-3.0-or-later
// The running instance end to end, with real processes: links handed over by
// later `tolvo` processes, the alert, the guide's help links, and two
// processes racing to become the instance.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

#include "support/ToolSandbox.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

using tolvo::test::fixturePath;
using tolvo::test::ToolSandbox;

class TestInstanceE2E : public QObject {
    Q_OBJECT

    std::unique_ptr<ToolSandbox> m_home;
    std::vector<std::unique_ptr<QProcess>> m_instances;

    QProcess* startTolvo(const QStringList& args)
    {
        m_instances.push_back(m_home->start("tolvo", args));
        m_instances.back()->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_instances.back()->waitForStarted();
        return m_instances.back().get();
    }

    // A later `tolvo` that hands its arguments to the instance; its exit code, or -1 when it
    // stayed (it became the instance itself).
    int handOver(const QStringList& args)
    {
        auto p = m_home->start("tolvo", args);
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        if (!p->waitForFinished(10000)) {
            m_instances.push_back(std::move(p));
            return -1;
        }
        return p->exitCode();
    }

    std::optional<QJsonObject> status() const
    {
        const tolvo::test::ToolRun r = m_home->cli({ "status", "--json" });
        if (r.code != 0)
            return std::nullopt;
        return QJsonDocument::fromJson(r.out).object();
    }

    // Asks the instance until check holds.
    bool waitFor(const std::function<bool(const QJsonObject&)>& check, int timeoutMs = 20000) const
    {
        return QTest::qWaitFor(
            [&] {
                const auto s = status();
                return s && check(*s);
            },
            timeoutMs);
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
        for (const auto& p : m_instances) {
            p->terminate();
            if (!p->waitForFinished(5000))
                p->kill();
            p->waitForFinished(2000);
        }
        m_instances.clear();
    }

private slots:
    void init()
    {
        m_home = std::make_unique<ToolSandbox>();
        QVERIFY(m_home->isValid());
    }
    void cleanup() { stopInstances(); }

    void linksReachTheInstance()
    {
        QVERIFY(!status().has_value());
        startTolvo({});
        // The first start opens the guide, which takes the prefix apphelp/.
        QVERIFY(waitFor([](const QJsonObject& s) {
            const QJsonObject guide = documentNamed(s, "Tolvo User Guide.pdf");
            // Past the new window's own first positioning.
            return guide.value("prefix").toString() == "apphelp/" && guide.value("positioned").toBool();
        }));

        // A help link for the open guide moves it at once and selects the entry.
        QCOMPARE(handOver({ "tolvo://apphelp/preferences/prefix" }), 0);
        QVERIFY(waitFor([](const QJsonObject& s) {
            return documentNamed(s, "Tolvo User Guide.pdf").value("selectedTocTitle").toString() == "Prefix";
        }));

        // A link opened the way other programs open it reaches the instance too:
        // start-up made Tolvo the handler of tolvo:// links.
        const QString xdgOpen = QStandardPaths::findExecutable("xdg-open");
        if (!xdgOpen.isEmpty()) {
            ToolSandbox& home = *m_home;
            home.setEnv("DISPLAY", ":0"); // xdg-open asks for a display before it reads the handlers
            home.setEnv("XDG_CURRENT_DESKTOP", QString());
            QCOMPARE(home.run(xdgOpen, { "tolvo://apphelp/preferences/automatch" }).code, 0);
            QVERIFY(waitFor([](const QJsonObject& s) {
                return documentNamed(s, "Tolvo User Guide.pdf").value("selectedTocTitle").toString() == "Automatch";
            }));
        }

        // A whole-PDF link leaves the view where it is.
        const int before = documentNamed(*status(), "Tolvo User Guide.pdf").value("pageIndex").toInt();
        QCOMPARE(handOver({ "tolvo://apphelp/" }), 0);

        // An unknown prefix shows the alert. Links are taken in turn, so once it shows, the
        // whole-PDF link before it has been followed.
        QCOMPARE(handOver({ "tolvo://nosuch/3/" }), 0);
        QVERIFY(waitFor([](const QJsonObject& s) { return s.value("alert").toString() == "Unable to locate PDF"; }));
        QCOMPARE(documentNamed(*status(), "Tolvo User Guide.pdf").value("pageIndex").toInt(), before);
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
            startTolvo({});
            QVERIFY(waitFor(guideAt(QString())));
            stopInstances();
        }
        if (!helpOnStart) {
            QDir().mkpath(QFileInfo(m_home->storePath()).path());
            QFile store(m_home->storePath());
            QVERIFY(store.open(QIODevice::WriteOnly));
            store.write("{\"TolvoShowHelpOnStart\": false}\n");
        }
        startTolvo(withPdf ? QStringList { fixturePath("labels.pdf") } : QStringList {});
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
        startTolvo({ fixturePath("long-label.pdf") });
        QVERIFY(waitFor([this](const QJsonObject& s) { return !documentNamed(s, "long-label.pdf").isEmpty(); }));

        // A page label far beyond a frame: the status still arrives, with the label cut and marked.
        const tolvo::test::ToolRun cli = m_home->cli({ "status", "--json" });
        QCOMPARE(cli.code, 0);
        QVERIFY(cli.err.contains("cut"));
        const QJsonObject s = QJsonDocument::fromJson(cli.out).object();
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
        const QString pdf = fixturePath("labels.pdf");
        QCOMPARE(m_home->cli({ "prefix", "--assign", "book", pdf }).code, 0);

        startTolvo({ "tolvo://book/2/" });
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
        QProcess* a = startTolvo({ fixturePath("outline.pdf") });
        QProcess* b = startTolvo({ fixturePath("labels.pdf") });
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
        QProcess* first = startTolvo({ fixturePath("outline.pdf") });
        QVERIFY(waitFor([](const QJsonObject& s) { return !documentNamed(s, "outline.pdf").isEmpty(); }));
        first->kill();
        first->waitForFinished(5000);
        startTolvo({ fixturePath("labels.pdf") });
        QVERIFY(waitFor([](const QJsonObject& s) { return !documentNamed(s, "labels.pdf").isEmpty(); }));
    }
};

QTEST_GUILESS_MAIN(TestInstanceE2E)
#include "test_instance_e2e.moc"
