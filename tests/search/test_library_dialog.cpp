// SPDX-License-Identifier: GPL-3.0-or-later
// File > Search All PDFs...: the rows of a query over the routed fixtures, as tolvo-cli search
// --library gives them, and a chosen row following its link.
#include "SearchTestSupport.h"

#include "document/search/LibrarySearchDialog.h"
#include "routing/RoutingTable.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>

using namespace tolvo;
using tolvo::test::fixture;

class TestLibraryDialog : public QObject {
    Q_OBJECT

    QTemporaryDir m_home;

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        qputenv("XDG_CACHE_HOME", QFile::encodeName(m_home.filePath(QStringLiteral("cache"))));
    }

    void rowsAndChoosing_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QStringList>("links");
        QTest::newRow("in two PDFs") << "needle"
                                     << QStringList { "tolvo://dup/A/", "tolvo://dup/A/", "tolvo://dup/B/",
                                            "tolvo://srch/5/" };
        QTest::newRow("nowhere") << "narwhal" << QStringList {};
    }
    void rowsAndChoosing()
    {
        QFETCH(QString, query);
        QFETCH(QStringList, links);
        Defaults defaults(m_home.filePath(QStringLiteral("defaults.json")));
        registerTolvoDefaults(defaults);
        RoutingTable routing(defaults, SearchScope::none());
        QVERIFY(routing.storePrefix(QStringLiteral("dup/"), fixture(QStringLiteral("dup-labels.pdf"))).ok());
        QVERIFY(routing.storePrefix(QStringLiteral("srch/"), fixture(QStringLiteral("search.pdf"))).ok());

        QStringList opened;
        LibrarySearchDialog dialog(defaults, [&opened](const QString& url) { opened << url; });
        QSignalSpy finished(&dialog, &LibrarySearchDialog::finished);
        // Twice: once writing the indexes, once reading them; the rows are the same.
        for (int round = 0; round < 2; ++round) {
            dialog.queryField()->setText(query);
            dialog.search();
            QTRY_COMPARE_WITH_TIMEOUT(finished.size(), round + 1, 60000);
            QStringList got;
            for (int row = 0; row < dialog.resultsTable()->rowCount(); ++row)
                got << dialog.resultsTable()->item(row, 0)->text();
            QCOMPARE(got, links);
        }
        if (links.isEmpty())
            return;
        dialog.openRow(links.size() - 1);
        QCOMPARE(opened, QStringList { links.last() });
    }

    // A new query while one runs: only the new one's rows show.
    void newQueryReplacesRunningOne()
    {
        Defaults defaults(m_home.filePath(QStringLiteral("defaults2.json")));
        registerTolvoDefaults(defaults);
        RoutingTable routing(defaults, SearchScope::none());
        QVERIFY(routing.storePrefix(QStringLiteral("big/"), fixture(QStringLiteral("big-search.pdf"))).ok());
        QVERIFY(routing.storePrefix(QStringLiteral("srch/"), fixture(QStringLiteral("search.pdf"))).ok());
        LibrarySearchDialog dialog(defaults, {});
        QSignalSpy finished(&dialog, &LibrarySearchDialog::finished);
        dialog.queryField()->setText(QStringLiteral("alpha"));
        dialog.search();
        dialog.queryField()->setText(QStringLiteral("closing page"));
        dialog.search();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 60000);
        QCOMPARE(dialog.resultsTable()->rowCount(), 1);
        QCOMPARE(dialog.resultsTable()->item(0, 0)->text(), QStringLiteral("tolvo://srch/7/"));
    }
};

QTEST_MAIN(TestLibraryDialog)
#include "test_library_dialog.moc"
