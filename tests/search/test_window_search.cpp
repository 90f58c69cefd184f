// SPDX-License-Identifier: GPL-3.0-or-later
// Search inside a document window: the find command opens the pane, a query typed before the
// annotation list is known still gains its annotation rows, and choosing a row moves the page view.
#include "SearchTestSupport.h"
#include "support/ScratchStore.h"
#include "support/WindowWaits.h"

#include "document/MyDocument.h"
#include "document/NotesStore.h"
#include "document/search/SearchPane.h"
#include "pageview/LabelPDFView.h"
#include "search/AnnotationCollector.h"
#include "search/DocumentSearch.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"
#include "widgets/TLNSTableView.h"

#include <QApplication>
#include <QLineEdit>

using namespace tolvo;

class TestWindowSearch : public QObject {
    Q_OBJECT

    test::ScratchStore m_store;
    std::unique_ptr<MyDocument> m_doc;

    MyDocument* open()
    {
        DocumentEnvironment env = m_store.environment();
        m_doc = std::make_unique<MyDocument>(env);
        if (!m_doc->readFromURL(test::fixture(QStringLiteral("search.pdf"))))
            return nullptr;
        m_doc->makeWindowControllers();
        return m_doc.get();
    }

    static QStringList descriptions(const MyDocument& doc)
    {
        QStringList rows;
        const QAbstractItemModel* model = doc.search()->filter();
        for (int row = 0; row < model->rowCount(); ++row)
            rows.append(model->index(row, 0).data().toString());
        return rows;
    }

    static void typeQuery(MyDocument& doc, const QString& text)
    {
        doc.findInDocument();
        doc.searchPane()->searchField()->setText(text);
        QTRY_VERIFY_WITH_TIMEOUT(!doc.search()->isFinding(), 30000);
    }

private slots:
    void initTestCase()
    {
        m_store.useAsConfigHome();
        QVERIFY(QFile::exists(test::fixture(QStringLiteral("search.pdf"))));
    }

    void init() { m_store.renew(); }

    void cleanup()
    {
        m_doc.reset();
        m_store.clear();
    }

    void findOpensTheClosedPaneAndTakesTheFocus()
    {
        MyDocument* doc = open();
        QVERIFY(doc);
        QWidget* pane = doc->searchPane()->parentWidget();
        QVERIFY(pane->height() < 10);
        doc->findInDocument();
        QTRY_VERIFY(pane->height() >= 10);
        QTRY_COMPARE(QApplication::focusWidget(), doc->searchPane()->searchField());
        // Find again keeps it open; the toggle closes it.
        doc->findInDocument();
        QVERIFY(pane->height() >= 10);
        doc->searchViewToggle();
        QTRY_VERIFY(pane->height() < 10);
    }

    void queryBeforeTheAnnotationListGainsItsRows()
    {
        MyDocument* doc = open();
        QVERIFY(doc);
        // Typed at once, before the first page has shown and the list is gathered.
        QVERIFY(!doc->search()->hasAnnotations());
        doc->searchPane()->searchField()->setText(QStringLiteral("needle"));
        QTRY_VERIFY_WITH_TIMEOUT(doc->search()->hasAnnotations() && !doc->search()->isFinding(), 30000);
        QCOMPARE(descriptions(*doc),
            QStringList({ QStringLiteral("Note annotation \"check the needle count\""),
                QStringLiteral("\"needle\" found 3 times on page 5") }));
    }

    void choosingARowMovesThePage_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("row");
        QTest::addColumn<int>("page");
        QTest::addColumn<bool>("selectsText");
        QTest::newRow("text row selects its first match") << "needle"
                                                          << "\"needle\" found 3 times on page 5" << 6 << true;
        QTest::newRow("TOC row goes to the entry") << "introduction"
                                                   << "TOC item \"Introduction\" starts on page 3" << 4 << false;
        QTest::newRow("annotation row goes to its page") << "blue whale"
                                                         << "Note annotation \"blue whale sighting\"" << 8 << false;
    }

    void choosingARowMovesThePage()
    {
        QFETCH(QString, query);
        QFETCH(QString, row);
        QFETCH(int, page);
        QFETCH(bool, selectsText);
        MyDocument* doc = open();
        QVERIFY(doc);
        QTRY_VERIFY_WITH_TIMEOUT(doc->search() && doc->annotationCollector() && doc->search()->hasAnnotations(), 30000);
        // After the window's own first positioning.
        QVERIFY(tolvo::test::waitForFirstPositioning(doc));
        typeQuery(*doc, query);
        const int index = descriptions(*doc).indexOf(row);
        QVERIFY2(index >= 0, qPrintable(descriptions(*doc).join(QLatin1Char('|'))));
        TLNSTableView* table = doc->searchPane()->searchResultsTableView();
        table->selectRow(index);
        QTRY_COMPARE(doc->pdfview()->currentPage(), page);
        const pdf::TextSelection& selection = doc->pdfview()->currentSelection();
        QCOMPARE(!selection.isEmpty(), selectsText);
        if (selectsText) {
            QCOMPARE(selection.pages(), QVector<int>({ page }));
            QCOMPARE(selection.text.toLower(), query);
        }
    }
};

QTEST_MAIN(TestWindowSearch)
#include "test_window_search.moc"
