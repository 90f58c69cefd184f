// SPDX-License-Identifier: GPL-3.0-or-later
// The reader across processes: a PDF reopens where the last Tolvo left it, a link's target wins
// over that place, the desktop's recently used list learns of it, and tolvo-cli reads
// encrypted PDFs with --password.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

#include "support/EncryptedPdf.h"
#include "support/ToolSandbox.h"

#include <functional>
#include <memory>
#include <optional>

using tolvo::test::fixturePath;
using tolvo::test::ToolSandbox;

class TestReaderE2E : public QObject {
    Q_OBJECT

    std::unique_ptr<ToolSandbox> m_home;
    std::unique_ptr<QProcess> m_tolvo;

    void startTolvo(const QStringList& args)
    {
        m_tolvo = m_home->start("tolvo", args);
        m_tolvo->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QVERIFY(m_tolvo->waitForStarted());
    }

    void stopTolvo()
    {
        if (!m_tolvo)
            return;
        m_tolvo->terminate();
        if (!m_tolvo->waitForFinished(5000))
            m_tolvo->kill();
        m_tolvo->waitForFinished(2000);
        m_tolvo.reset();
    }

    // Asks the running Tolvo until it shows one positioned document; that document.
    std::optional<QJsonObject> positionedDocument(int timeoutMs = 30000) const
    {
        std::optional<QJsonObject> found;
        (void)QTest::qWaitFor(
            [&] {
                const tolvo::test::ToolRun r = m_home->cli({ "status", "--json" });
                const QJsonArray documents = QJsonDocument::fromJson(r.out).object().value("documents").toArray();
                if (r.code == 0 && documents.size() == 1 && documents[0].toObject().value("positioned").toBool())
                    found = documents[0].toObject();
                return found.has_value();
            },
            timeoutMs);
        return found;
    }

    bool waitForPage(int pageIndex) const
    {
        return QTest::qWaitFor(
            [&] {
                const tolvo::test::ToolRun r = m_home->cli({ "status", "--json" });
                const QJsonArray documents = QJsonDocument::fromJson(r.out).object().value("documents").toArray();
                return documents.size() == 1 && documents[0].toObject().value("pageIndex").toInt() == pageIndex;
            },
            20000);
    }

    // The place memory's record of the page, once written.
    bool placeWritten(int pageIndex) const
    {
        return QTest::qWaitFor(
            [&] {
                QFile file(m_home->path("data/Tolvo/places.json"));
                if (!file.open(QIODevice::ReadOnly))
                    return false;
                const QJsonArray places = QJsonDocument::fromJson(file.readAll()).object().value("places").toArray();
                return !places.isEmpty() && places[0].toObject().value("page").toInt() == pageIndex;
            },
            20000);
    }

private slots:
    void init()
    {
        m_home = std::make_unique<ToolSandbox>();
        QVERIFY(m_home->isValid());
        // No guide over the PDF: these starts are about the PDF.
        QCOMPARE(m_home->cli({ "defaults", "TolvoShowHelpOnStart", "false" }).code, 0);
    }
    void cleanup() { stopTolvo(); }

    void placeSurvivesARestartAndALinkWins()
    {
        const QString pdf = m_home->path("Report.pdf");
        QVERIFY(QFile::copy(fixturePath("docwin/Report.pdf"), pdf));
        QCOMPARE(m_home->cli({ "prefix", "--assign", "report", pdf }).code, 0);

        // First run: go to page 7 by a link, and leave.
        startTolvo({ pdf });
        QVERIFY(positionedDocument());
        QCOMPARE(m_home->run("tolvo", { "tolvo://report/7" }).code, 0);
        QVERIFY(waitForPage(6));
        QVERIFY(placeWritten(6));
        stopTolvo();

        // Second run: the PDF opens at page 7.
        startTolvo({ pdf });
        const std::optional<QJsonObject> reopened = positionedDocument();
        QVERIFY(reopened);
        QCOMPARE(reopened->value("pageIndex").toInt(), 6);
        stopTolvo();

        // Third run, for a link to page 3: the link's target wins over the remembered page.
        startTolvo({ "tolvo://report/3" });
        QVERIFY(positionedDocument());
        QVERIFY(waitForPage(2));

        // The desktop's recently used list names the PDF, for Tolvo.
        QFile xbel(m_home->path("data/recently-used.xbel"));
        QVERIFY(xbel.open(QIODevice::ReadOnly));
        const QByteArray list = xbel.readAll();
        QVERIFY(list.contains(QUrl::fromLocalFile(pdf).toEncoded()));
        QVERIFY(list.contains("name=\"Tolvo\""));
    }

    void cliPassword_data()
    {
        QTest::addColumn<QString>("user"); // the user password the PDF is encrypted with
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("says");
        QTest::newRow("no password given") << "secret" << QStringList {} << 1 << "give its password with --password";
        QTest::newRow("the right one") << "secret" << QStringList { "--password", "secret" } << 0 << "";
        QTest::newRow("in one argument") << "secret" << QStringList { "--password=secret" } << 0 << "";
        QTest::newRow("the owner's") << "secret" << QStringList { "--password", "boss" } << 0 << "";
        QTest::newRow("a wrong one") << "secret" << QStringList { "--password", "guess" } << 1
                                     << "the password given for Locked.pdf is wrong";
        QTest::newRow("no value") << "secret" << QStringList { "--password" } << 2 << "--password needs a value";
        QTest::newRow("only an owner password") << "" << QStringList {} << 0 << "";
    }
    void cliPassword()
    {
        QFETCH(QString, user);
        QFETCH(QStringList, options);
        QFETCH(int, code);
        QFETCH(QString, says);
        const QString locked = m_home->path("Locked.pdf");
        QVERIFY2(tolvo::test::encryptPdf(fixturePath("docwin/Report.pdf"), locked, user, "boss"), "qpdf failed");
        const tolvo::test::ToolRun r = m_home->cli(QStringList { "info", locked, "--json" } + options);
        QCOMPARE(r.code, code);
        QVERIFY2(r.errText().contains(says), qPrintable(r.errText()));
        if (code == 0)
            QCOMPARE(QJsonDocument::fromJson(r.out).object().value("pageCount").toInt(), 12);
    }
};

QTEST_MAIN(TestReaderE2E)
#include "test_reader_e2e.moc"
