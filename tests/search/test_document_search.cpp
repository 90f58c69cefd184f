// SPDX-License-Identifier: GPL-3.0-or-later
// One document's search over the fixtures (fx_search.py): outline, annotation and text rows of a
// query, the rows of a text find on two workers, and a new query overtaking a running find.
#include "SearchTestSupport.h"

#include "outline/OutlineTree.h"
#include "pdf/OutlineFromPdf.h"
#include "pdf/PageLabelIndex.h"
#include "search/DocumentSearch.h"
#include "search/TextFinder.h"

#include <QSignalSpy>

using namespace tolvo;
using tolvo::test::openFixture;

namespace {

struct Searched {
    std::unique_ptr<pdf::Document> document;
    OutlineTree tree;
    PageLabelIndex labels;
    std::unique_ptr<DocumentSearch> search;
};

std::unique_ptr<Searched> searchOf(const QString& name, bool withAnnotations = true)
{
    auto s = std::make_unique<Searched>();
    s->document = openFixture(name);
    if (!s->document)
        return nullptr;
    s->tree = outlineTreeForPdf(*s->document);
    s->labels = PageLabelIndex(s->document->pageLabels());
    Searched* raw = s.get();
    s->search = std::make_unique<DocumentSearch>(*s->document,
        DocumentSearch::Sources { [raw] { return &raw->tree; }, [raw] { return raw->labels.pageLabel2pageIndex(); } });
    if (withAnnotations)
        s->search->setAnnotations(std::make_shared<const AnnotationList>(prepareAnnotationsArray(*s->document)));
    return s;
}

bool finish(DocumentSearch& search)
{
    return !search.isFinding() || QTest::qWaitFor([&search] { return !search.isFinding(); }, 60000);
}

QStringList rows(const DocumentSearch& search)
{
    QStringList list;
    for (const MySearchResult& r : search.model()->searchResultsArray())
        list << r.resultType + QLatin1Char('|') + r.resultDescription;
    return list;
}

} // namespace

class TestDocumentSearch : public QObject {
    Q_OBJECT

private slots:
    void query_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("intro: TOC rows, leaf first") << "intro"
                                                     << QStringList { "TOC|TOC item \"Introduction\" starts on page 3",
                                                            "TOC|TOC item \"Intro Chapter\" starts on page 1" };
        QTest::newRow("three matches on page 5 give one row, after the note")
            << "Needle"
            << QStringList { "Note|Note annotation \"check the needle count\"",
                   "Text|\"Needle\" found 3 times on page 5" };
        QTest::newRow("two words: together, with the space")
            << "blue whale"
            << QStringList { "TOC|TOC item \"Blue Whales\" starts on page 2",
                   "Note|Note annotation \"blue whale sighting\"", "Text|\"blue whale\" found on page 2" };
        QTest::newRow("a highlight's text in lower case, with its closing space")
            << "KEY POINT"
            << QStringList { "Highlight|Highlight annotation \"key point \"", "Text|\"KEY POINT\" found on page 3" };
        QTest::newRow("a highlight without contents is listed by the words it marks")
            << "plain words"
            << QStringList { "Highlight|Highlight annotation \"plain words \"",
                   "Text|\"plain words\" found on page 3" };
        QTest::newRow("spaces only: nothing") << "   " << QStringList {};
        QTest::newRow("nothing found") << "zebra" << QStringList {};
    }
    void query()
    {
        QFETCH(QString, typed);
        auto s = searchOf(QStringLiteral("search.pdf"));
        QVERIFY(s);
        QSignalSpy ended(s->search.get(), &DocumentSearch::pdfSearchDidEnd);
        s->search->searchTextChanged(typed);
        QVERIFY(finish(*s->search));
        QTEST(rows(*s->search), "expected");
        QCOMPARE(ended.count(), isSearchableQuery(typed) ? 1 : 0);
    }

    void textRowSelectsItsFirstMatch()
    {
        auto s = searchOf(QStringLiteral("search.pdf"));
        QVERIFY(s);
        s->search->searchTextChanged(QStringLiteral("needle"));
        QVERIFY(finish(*s->search));
        const MySearchResult& row = s->search->model()->searchResultsArray().back();
        QCOMPARE(row.resultCountOnPage, quint64(3));
        QCOMPARE(row.pageIndex, quint64(6));
        QCOMPARE(row.pageLabel, QStringLiteral("5"));
        const pdf::TextSelection* selection = row.selection();
        QVERIFY(selection);
        QCOMPARE(selection->pages(), QVector<int> { 6 });
        // "needle one" has its baseline at 700: the topmost of the three.
        const QRectF first = selection->boundsForPage(6);
        QVERIFY2(first.top() < 700 && first.bottom() > 700, qPrintable(QString::number(first.top())));
        QVERIFY(first.left() < 73 && first.width() < 40);
    }

    // A text row's selection quotes the page, whatever the case and the end of the query.
    void selectionQuotesThePage_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("quote");
        QTest::newRow("query ends inside a word") << "Physical Page 1" << 7 << "Physical page 1";
        QTest::newRow("case of the page") << "key point" << 4 << "Key Point";
        QTest::newRow("within a line") << "BLUE WHALE" << 3 << "blue whale";
        QTest::newRow("inside a word") << "eedl" << 6 << "eedl";
    }
    void selectionQuotesThePage()
    {
        QFETCH(QString, typed);
        QFETCH(int, page);
        QFETCH(QString, quote);
        auto s = searchOf(QStringLiteral("search.pdf"), false);
        QVERIFY(s);
        s->search->searchTextChanged(typed);
        QVERIFY(finish(*s->search));
        const std::vector<MySearchResult>& found = s->search->model()->searchResultsArray();
        const auto row = std::find_if(found.cbegin(), found.cend(), [page](const MySearchResult& r) {
            return r.resultType == QLatin1String("Text") && int(r.pageIndex) == page;
        });
        QVERIFY(row != found.cend());
        QVERIFY(row->selection());
        QCOMPARE(row->selection()->text, quote);
        QCOMPARE(row->selection()->lines.at(0).text, quote);
        // The row itself still says what was typed.
        QVERIFY(row->resultDescription.startsWith(u'"' + typed + u'"'));
    }

    // Pages that share a label keep a row each, with their own page index.
    void sharedLabels()
    {
        auto s = searchOf(QStringLiteral("dup-labels.pdf"));
        QVERIFY(s);
        s->search->searchTextChanged(QStringLiteral("needle"));
        QVERIFY(finish(*s->search));
        const auto& results = s->search->model()->searchResultsArray();
        QCOMPARE(int(results.size()), 3);
        QCOMPARE(results[0].pageLabel, QStringLiteral("A"));
        QCOMPARE(results[1].pageLabel, QStringLiteral("A"));
        QCOMPARE(results[0].pageIndex, quint64(0));
        QCOMPARE(results[1].pageIndex, quint64(1));
        QCOMPARE(results[0].resultDescription, QStringLiteral("\"needle\" found on page A"));
    }

    // A query typed before the annotation list is known gains its annotation rows when the list comes.
    void annotationsArriveLate()
    {
        auto s = searchOf(QStringLiteral("search.pdf"), false);
        QVERIFY(s);
        s->search->searchTextChanged(QStringLiteral("blue whale"));
        QVERIFY(finish(*s->search));
        QCOMPARE(rows(*s->search).size(), 2);
        s->search->setAnnotations(std::make_shared<const AnnotationList>(prepareAnnotationsArray(*s->document)));
        QCOMPARE(rows(*s->search),
            (QStringList { "TOC|TOC item \"Blue Whales\" starts on page 2",
                "Note|Note annotation \"blue whale sighting\"", "Text|\"blue whale\" found on page 2" }));
        // Later queries search the list at once.
        s->search->searchTextChanged(QStringLiteral("sighting"));
        QCOMPARE(rows(*s->search), QStringList { "Note|Note annotation \"blue whale sighting\"" });
    }

    // A second query while the first still runs over 800 pages gets only its own rows.
    void newQueryOvertakesRunningFind()
    {
        auto s = searchOf(QStringLiteral("big-search.pdf"));
        QVERIFY(s);
        SearchResultsModel* model = s->search->model();
        s->search->searchTextChanged(QStringLiteral("alpha"));
        QVERIFY(QTest::qWaitFor([model] { return model->rowCount() > 0; }, 60000));
        QVERIFY(s->search->isFinding());
        QVERIFY(model->rowCount() < 800);
        s->search->searchTextChanged(QStringLiteral("Omega"));
        QVERIFY(finish(*s->search));
        const auto& results = model->searchResultsArray();
        QCOMPARE(int(results.size()), 115); // pages 0, 7, ..., 798
        for (size_t i = 0; i < results.size(); ++i) {
            QCOMPARE(results[i].pageIndex, quint64(7 * i));
            QCOMPARE(results[i].resultCountOnPage, quint64(1));
            QVERIFY(results[i].resultDescription.startsWith(QLatin1String("\"Omega\" found on page")));
        }
        // Nothing of the first find comes after its end either: its workers handed over all they had
        // before they took up the second find.
        QCoreApplication::processEvents();
        QCOMPARE(model->rowCount(), 115);
    }

    // Emptying the field ends the running find: no row of it shows up afterwards.
    void clearingCancels()
    {
        auto s = searchOf(QStringLiteral("big-search.pdf"));
        QVERIFY(s);
        QSignalSpy finding(s->search.get(), &DocumentSearch::findingChanged);
        s->search->searchTextChanged(QStringLiteral("alpha"));
        QVERIFY(QTest::qWaitFor([&s] { return s->search->model()->rowCount() > 0; }, 60000));
        s->search->searchTextChanged(QString());
        QVERIFY(!s->search->isFinding());
        QCOMPARE(s->search->model()->rowCount(), 0);
        QCOMPARE(finding.count(), 2);
        QCOMPARE(finding.at(1).at(0).toBool(), false);
        // The workers take up a find of a word that is nowhere only after handing over what they
        // held of the cleared one, so once it ends, anything of the cleared find would show.
        s->search->searchTextChanged(QStringLiteral("nowhere-at-all"));
        QVERIFY(finish(*s->search));
        QCOMPARE(s->search->model()->rowCount(), 0);
    }

    // All matches of a common word, with the rows in page order.
    void wholeFind()
    {
        auto s = searchOf(QStringLiteral("big-search.pdf"));
        QVERIFY(s);
        s->search->searchTextChanged(QStringLiteral("alpha"));
        QVERIFY(finish(*s->search));
        const auto& results = s->search->model()->searchResultsArray();
        QCOMPARE(int(results.size()), 800);
        for (size_t i = 0; i < results.size(); ++i) {
            QCOMPARE(results[i].pageIndex, quint64(i));
            QVERIFY(results[i].resultCountOnPage >= 60);
        }
    }

    // Destroyed in the middle of a find: the workers stop and nothing reaches the object that went.
    void destroyedWhileFinding()
    {
        auto s = searchOf(QStringLiteral("big-search.pdf"));
        QVERIFY(s);
        s->search->searchTextChanged(QStringLiteral("alpha"));
        QVERIFY(QTest::qWaitFor([&s] { return s->search->model()->rowCount() > 0; }, 60000));
        s->search.reset();
        QCoreApplication::processEvents();
    }

    void finderWithoutDocuments()
    {
        TextFinder finder({});
        QSignalSpy ended(&finder, &TextFinder::didEndFind);
        finder.beginFindString(QStringLiteral("x"));
        QVERIFY(finder.isFinding());
        QVERIFY(ended.wait(5000));
        QVERIFY(!finder.isFinding());
    }
};

QTEST_GUILESS_MAIN(TestDocumentSearch)
#include "test_document_search.moc"
