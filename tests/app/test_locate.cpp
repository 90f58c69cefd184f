// SPDX-License-Identifier: GPL-3.0-or-later
// The answer to "Unable to locate PDF": the file chosen with "Locate PDF..." takes
// the link's prefix for good, opens, and goes to the link's target.
#include "app/VantrelAppDelegate.h"
#include "document/DocumentController.h"
#include "document/DocumentWindow.h"
#include "document/MyDocument.h"
#include "pageview/LabelPDFView.h"
#include "routing/RoutingTable.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace tolvo;

class TestLocate : public QObject {
    Q_OBJECT

    QTemporaryDir m_home;
    std::unique_ptr<VantrelAppDelegate> m_app;

    QString report() const { return m_home.filePath("Report.pdf"); }

private slots:
    void initTestCase()
    {
        for (const char* name : { "HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR" })
            qputenv(name, QFile::encodeName(m_home.path()));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(m_home.filePath("nowhere")));
        QVERIFY(QFile::copy(qEnvironmentVariable("TOLVO_FIXTURES") + "/docwin/Report.pdf", report()));
        Defaults::standard().setValue(keys::kShowHelpOnStart, false);
        m_app = std::make_unique<VantrelAppDelegate>(-1);
        m_app->applicationDidFinishLaunching({}, m_home.path());
    }
    void cleanupTestCase() { m_app.reset(); }

    void locatedFileTakesThePrefix_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("fitted"); // the routing key that fitted the URL, if any
        QTest::addColumn<bool>("openBefore");
        QTest::addColumn<QString>("prefix");
        QTest::newRow("a key whose file is gone") << "tolvo://gone/12/"
                                                  << "gone/" << false << "gone/";
        QTest::newRow("no key fitted: the first piece") << "tolvo://lost/12/"
                                                        << "" << false << "lost/";
        QTest::newRow("the file is open already") << "tolvo://again/12/"
                                                  << "" << true << "again/";
    }
    void locatedFileTakesThePrefix()
    {
        QFETCH(QString, url);
        QFETCH(QString, fitted);
        QFETCH(bool, openBefore);
        QFETCH(QString, prefix);
        DocumentController& documents = *m_app->documentController();
        if (openBefore)
            QVERIFY(documents.openDocument(report()));

        m_app->locatePDF(url, fitted, report());
        MyDocument* document = documents.documentForPath(report());
        QVERIFY(document);
        QCOMPARE(document->prefix(), prefix);
        QVERIFY(RoutingTable(Defaults::standard(), SearchScope::none()).keysForPath(report()).contains(prefix));
        // The link is followed to its target, the page labelled 12.
        QTRY_COMPARE(document->pdfview()->currentPage(), document->pageForLabel("12").value_or(-2));
        document->myWindow()->close();
        QTRY_VERIFY(!documents.documentForPath(report()));
    }
};

QTEST_MAIN(TestLocate)
#include "test_locate.moc"
