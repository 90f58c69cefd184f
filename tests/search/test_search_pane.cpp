// SPDX-License-Identifier: GPL-3.0-or-later
// The search pane: typing searches, the segments filter without searching again, choosing a row
// says what to show; and the search pane's toggle with its stored height.
#include "SearchTestSupport.h"

#include "document/search/SearchPane.h"
#include "document/search/SearchViewToggle.h"
#include "outline/OutlineTree.h"
#include "pdf/OutlineFromPdf.h"
#include "pdf/PageLabelIndex.h"
#include "search/DocumentSearch.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"
#include "widgets/TLNSTableView.h"
#include "widgets/TLSplitView.h"

#include <QApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QToolButton>

using namespace tolvo;
using tolvo::test::openFixture;

Q_DECLARE_METATYPE(tolvo::pdf::TextSelection)

namespace {

struct Pane {
    std::unique_ptr<pdf::Document> document;
    OutlineTree tree;
    PageLabelIndex labels;
    std::unique_ptr<DocumentSearch> search;
    std::unique_ptr<SearchPane> pane;
};

std::unique_ptr<Pane> makePane()
{
    auto p = std::make_unique<Pane>();
    p->document = openFixture(QStringLiteral("search.pdf"));
    if (!p->document)
        return nullptr;
    p->tree = outlineTreeForPdf(*p->document);
    p->labels = PageLabelIndex(p->document->pageLabels());
    Pane* raw = p.get();
    p->search = std::make_unique<DocumentSearch>(*p->document,
        DocumentSearch::Sources { [raw] { return &raw->tree; }, [raw] { return raw->labels.pageLabel2pageIndex(); } });
    p->search->setAnnotations(std::make_shared<const AnnotationList>(prepareAnnotationsArray(*p->document)));
    p->pane = std::make_unique<SearchPane>(*p->search);
    p->pane->resize(500, 300);
    p->pane->show();
    return p;
}

void typeQuery(Pane& p, const QString& text)
{
    p.pane->searchField()->setText(text);
    QTRY_VERIFY_WITH_TIMEOUT(!p.search->isFinding(), 30000);
}

int shownRows(const Pane& p)
{
    return p.pane->searchResultsTableView()->model()->rowCount();
}

void selectRow(Pane& p, int row)
{
    TLNSTableView* table = p.pane->searchResultsTableView();
    table->selectionModel()->select(
        table->model()->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

} // namespace

class TestSearchPane : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<tolvo::pdf::TextSelection>(); }

    void typingSearches()
    {
        auto p = makePane();
        QVERIFY(p);
        for (int i = 0; i < 3; ++i)
            QVERIFY(p->pane->isSegmentSelected(i));
        QVERIFY(p->pane->searchProgressIndicator()->isHidden());
        p->pane->searchField()->setText(QStringLiteral("blue whale"));
        QVERIFY(p->search->isFinding() ? p->pane->searchProgressIndicator()->isVisible() : true);
        QTRY_VERIFY_WITH_TIMEOUT(!p->search->isFinding(), 30000);
        QVERIFY(p->pane->searchProgressIndicator()->isHidden());
        QCOMPARE(shownRows(*p), 3);
        QCOMPARE(p->pane->searchResultsTableView()->model()->index(2, 1).data().toString(), QStringLiteral("2"));
        // What was typed goes again with the field's clear button.
        const QList<QToolButton*> buttons = p->pane->searchField()->findChildren<QToolButton*>();
        QCOMPARE(buttons.size(), 1);
        buttons.first()->click();
        QVERIFY(p->pane->searchField()->text().isEmpty());
    }

    // Deselecting all three segments empties the table and keeps the results; each segment shows its kind.
    void segmentsFilter()
    {
        auto p = makePane();
        QVERIFY(p);
        typeQuery(*p, QStringLiteral("blue whale"));
        selectRow(*p, 0);
        for (int i = 0; i < 3; ++i)
            p->pane->searchOptionsSegment(i)->click();
        QCOMPARE(shownRows(*p), 0);
        QCOMPARE(p->search->model()->rowCount(), 3);
        p->pane->searchOptionsSegment(2)->click();
        QCOMPARE(shownRows(*p), 1);
        QVERIFY(p->pane->searchResultsTableView()->selectionModel()->selectedRows().isEmpty());
        p->pane->setSegmentSelected(1, true);
        QCOMPARE(shownRows(*p), 2);
        p->pane->setSegmentSelected(0, true);
        QCOMPARE(shownRows(*p), 3);
    }

    void choosingARow()
    {
        auto p = makePane();
        QVERIFY(p);
        QSignalSpy text(p->pane.get(), &SearchPane::showTextSelection);
        QSignalSpy label(p->pane.get(), &SearchPane::showPageLabel);
        typeQuery(*p, QStringLiteral("needle"));
        QCOMPARE(shownRows(*p), 2);
        selectRow(*p, 0); // the note on page 7
        QCOMPARE(label.count(), 1);
        QCOMPARE(label.at(0).at(0).toString(), QStringLiteral("7"));
        selectRow(*p, 1); // three matches on page 5
        QCOMPARE(text.count(), 1);
        const auto selection = text.at(0).at(0).value<pdf::TextSelection>();
        QCOMPARE(selection.pages(), QVector<int> { 6 });
        p->pane->searchResultsTableView()->clearSelection();
        QCOMPARE(text.count() + label.count(), 2);

        typeQuery(*p, QStringLiteral("introduction"));
        selectRow(*p, 0);
        QCOMPARE(label.count(), 2);
        QCOMPARE(label.at(1).at(0).toString(), QStringLiteral("3/@loc/72x/720y/"));
    }

    void toggle_data()
    {
        QTest::addColumn<int>("openAt");
        QTest::addColumn<double>("stored");
        QTest::addColumn<int>("expectedOpen");
        QTest::newRow("closing at 220 stores 220, opening restores it") << 220 << 0.0 << 220;
        QTest::newRow("a pane dragged below 10 counts as closed") << 8 << 150.0 << 150;
        QTest::newRow("a stored height that would stay closed gives the default") << 0 << 4.0 << 170;
    }
    void toggle()
    {
        QFETCH(int, openAt);
        QFETCH(double, stored);
        QTemporaryDir dir;
        Defaults defaults(dir.filePath(QStringLiteral("defaults.json")));
        defaults.registerDefaults(
            { { QString::fromLatin1(keys::kSearchSplitViewDividerPosition), Defaults::Type::Float, 170.0 } });
        if (stored > 0)
            defaults.setValue(QString::fromLatin1(keys::kSearchSplitViewDividerPosition), stored);
        QWidget window;
        auto* split = new TLSplitView(Qt::Vertical, &window);
        auto* searchPane = new QWidget;
        searchPane->setMinimumHeight(1);
        auto* field = new QLineEdit(searchPane);
        auto* notes = new QTextEdit(&window);
        auto* pageView = new QWidget;
        split->addWidget(searchPane);
        split->addWidget(pageView);
        split->setChildrenCollapsible(true);
        split->setGeometry(0, 0, 400, 600);
        notes->setGeometry(0, 600, 400, 50);
        window.resize(400, 650);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        split->setPosition(openAt, 0, false);
        QCOMPARE(split->paneLength(0), openAt);
        const SearchViewWidgets widgets { pageView, field, notes };
        const QString key = QString::fromLatin1(keys::kSearchSplitViewDividerPosition);

        if (openAt >= 10) {
            QVERIFY(!searchViewToggle(*split, defaults, widgets));
            QCOMPARE(split->paneLength(0), 0);
            QCOMPARE(defaults.floatForKey(key), float(openAt));
            QCOMPARE(window.focusWidget(), static_cast<QWidget*>(notes));
        }
        QVERIFY(searchViewToggle(*split, defaults, widgets));
        QFETCH(int, expectedOpen);
        QCOMPARE(split->paneLength(0), expectedOpen);
        QCOMPARE(window.focusWidget(), static_cast<QWidget*>(field));
    }
};

QTEST_MAIN(TestSearchPane)
#include "test_search_pane.moc"
