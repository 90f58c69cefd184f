// SPDX-License-Identifier: GPL-3.0-or-later
// Search results without a PDF: the result rows of the outline and the annotation list, the
// model's one row per page, and the filter of the three segments.
#include "outline/OutlineTree.h"
#include "search/MySearchResult.h"
#include "search/SearchResultsModel.h"

#include <QSignalSpy>
#include <QtTest>

using namespace tolvo;

namespace {

// "Intro Chapter" (page 1) holds the leaves "Introduction" (page 3) and "Blue Whales"; "Appendix" follows.
OutlineTree sampleTree()
{
    std::vector<std::unique_ptr<MyOutlineItem>> top;
    auto chapter = std::make_unique<MyOutlineItem>(QStringLiteral("Intro Chapter"), QStringLiteral("1/@loc/72x/720y/"));
    chapter->appendChild(
        std::make_unique<MyOutlineItem>(QStringLiteral("Introduction"), QStringLiteral("3/@loc/72x/720y/")));
    chapter->appendChild(
        std::make_unique<MyOutlineItem>(QStringLiteral("Blue Whales"), QStringLiteral("missing/@loc/0x/0y/")));
    top.push_back(std::move(chapter));
    top.push_back(std::make_unique<MyOutlineItem>(QStringLiteral("Appendix %1"), QStringLiteral("7/@loc/72x/720y/")));
    return OutlineTree(std::move(top));
}

const QHash<QString, int> labels { { QStringLiteral("1"), 2 }, { QStringLiteral("3"), 4 }, { QStringLiteral("7"), 8 } };

AnnotationRecord record(const QString& type, const QString& text, const QString& label, int page)
{
    AnnotationRecord r;
    r.type = type;
    r.text = text;
    r.pageLabel = label;
    r.pageIndex = page;
    pdf::SelectionLine line;
    line.pageIndex = page;
    line.text = text;
    r.selection.lines.push_back(line);
    return r;
}

pdf::TextSelection at(int page, double y)
{
    pdf::TextSelection s;
    pdf::SelectionLine line;
    line.pageIndex = page;
    line.bounds = QRectF(10, y, 20, 10);
    s.lines.push_back(line);
    return s;
}

QStringList descriptions(const QAbstractItemModel& model)
{
    QStringList list;
    for (int row = 0; row < model.rowCount(); ++row)
        list << model.index(row, 0).data().toString();
    return list;
}

} // namespace

class TestSearchResults : public QObject {
    Q_OBJECT

private slots:
    void newResult()
    {
        const MySearchResult r;
        QVERIFY(r.resultType.isEmpty() && r.resultDescription.isEmpty() && r.pageLabel.isEmpty());
        QCOMPARE(r.pageIndex, quint64(0));
        QCOMPARE(r.resultCountOnPage, quint64(0));
        QCOMPARE(
            r.debugDescription(), QStringLiteral("pg[/i0] type  and contents [], more info object class <(null)>"));
    }

    void debugDescription()
    {
        const OutlineTree tree = sampleTree();
        const std::vector<MySearchResult> toc = tocResults(tree, QStringLiteral("appendix"), labels);
        QCOMPARE(int(toc.size()), 1);
        QCOMPARE(toc[0].debugDescription(),
            QStringLiteral("pg[7/@loc/72x/720y//i8] type TOC and contents [TOC item \"Appendix %1\" starts on "
                           "page 7], more info object class <MyOutlineItem>"));
    }

    void toc_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QList<quint64>>("pages");
        // Leaves first (bucket 1), then the chapter (bucket 2), though the chapter comes first in the outline.
        QTest::newRow("intro: the leaf before its chapter, title keeps its capital")
            << "intro"
            << QStringList { "TOC item \"Introduction\" starts on page 3",
                   "TOC item \"Intro Chapter\" starts on page 1" }
            << QList<quint64> { 4, 2 };
        QTest::newRow("two words together")
            << "blue whale" << QStringList { "TOC item \"Blue Whales\" starts on page missing" }
            << QList<quint64> { 0 };
        QTest::newRow("two words apart do not match") << "whale blue" << QStringList {} << QList<quint64> {};
        QTest::newRow("a %1 in a title stays as it is")
            << "%1" << QStringList { "TOC item \"Appendix %1\" starts on page 7" } << QList<quint64> { 8 };
    }
    void toc()
    {
        QFETCH(QString, query);
        QFETCH(QList<quint64>, pages);
        const OutlineTree tree = sampleTree();
        const std::vector<MySearchResult> results = tocResults(tree, query, labels);
        QStringList got;
        QList<quint64> gotPages;
        for (const MySearchResult& r : results) {
            got << r.resultDescription;
            gotPages << r.pageIndex;
            QCOMPARE(r.resultType, QStringLiteral("TOC"));
            QCOMPARE(r.resultCountOnPage, quint64(1));
            QVERIFY(r.outlineItem());
            QCOMPARE(r.pageLabel, r.outlineItem()->pageLabel());
        }
        QTEST(got, "expected");
        QCOMPARE(gotPages, pages);
    }

    void annotations()
    {
        const std::vector<AnnotationRecord> records = {
            record(QStringLiteral("Highlight"), QStringLiteral("Key Point "), QStringLiteral("3"), 4),
            record(QStringLiteral("Note"), QStringLiteral("Blue Whale sighting"), QStringLiteral("7"), 8),
            record(QStringLiteral(""), QStringLiteral("key pointer"), QStringLiteral("3"), 4),
        };
        const std::vector<MySearchResult> results = annotationResults(records, QStringLiteral("key point"));
        QCOMPARE(int(results.size()), 2);
        QCOMPARE(results[0].resultDescription, QStringLiteral("Highlight annotation \"key point \""));
        QCOMPARE(results[0].resultType, QStringLiteral("Highlight"));
        QCOMPARE(results[0].pageLabel, QStringLiteral("3"));
        QCOMPARE(results[0].pageIndex, quint64(4));
        QCOMPARE(results[0].moreInfoClassName(), QStringLiteral("TextSelection"));
        QCOMPARE(results[1].resultDescription, QStringLiteral(" annotation \"key pointer\""));
        QCOMPARE(int(annotationResults(records, QStringLiteral("blue whale")).size()), 1);
        QCOMPARE(int(annotationResults(records, QStringLiteral("whale blue")).size()), 0);
    }

    void searchable_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<bool>("searchable");
        QTest::newRow("empty") << "" << false;
        QTest::newRow("spaces only") << "   " << false;
        QTest::newRow("one word") << "a" << true;
        QTest::newRow("words and spaces") << " a  b " << true;
    }
    void searchable()
    {
        QFETCH(QString, query);
        QTEST(isSearchableQuery(query), "searchable");
    }

    // Matches arrive per page in any order; each page keeps one row, the rows stay in page order
    // after the other results, and a row keeps the selection of its first match.
    void textRows()
    {
        SearchResultsModel model;
        model.addResults(
            annotationResults({ record(QStringLiteral("Note"), QStringLiteral("needle"), QStringLiteral("7"), 8) },
                QStringLiteral("needle")));
        const QString typed = QStringLiteral("Needle");
        model.didMatchPage(6, QStringLiteral("5"), typed, at(6, 100));
        model.didMatchPage(2, QStringLiteral("1"), typed, at(2, 100), 2);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        model.didMatchPage(6, QStringLiteral("5"), typed, at(6, 50));
        model.didMatchPage(6, QStringLiteral("5"), typed, at(6, 10));
        QCOMPARE(changed.count(), 2);
        model.didMatchPage(4, QStringLiteral("3"), typed, at(4, 100));
        QCOMPARE(descriptions(model),
            (QStringList { "Note annotation \"needle\"", "\"Needle\" found 2 times on page 1",
                "\"Needle\" found on page 3", "\"Needle\" found 3 times on page 5" }));
        const MySearchResult* five = model.resultAt(3);
        QCOMPARE(five->resultCountOnPage, quint64(3));
        QCOMPARE(five->resultType, QStringLiteral("Text"));
        QCOMPARE(five->pageIndex, quint64(6));
        QCOMPARE(five->selection()->lines.front().bounds.y(), 100.0);

        // Annotation rows that come late go before the text rows.
        model.addResults(annotationResults(
            { record(QStringLiteral("Highlight"), QStringLiteral("a needle"), QStringLiteral("3"), 4) },
            QStringLiteral("needle")));
        QCOMPARE(model.index(1, 0).data().toString(), QStringLiteral("Highlight annotation \"a needle\""));
        QCOMPARE(model.index(2, 0).data().toString(), QStringLiteral("\"Needle\" found 2 times on page 1"));
        model.didMatchPage(3, QStringLiteral("2"), typed, at(3, 1));
        QCOMPARE(model.index(3, 0).data().toString(), QStringLiteral("\"Needle\" found on page 2"));

        model.clear();
        QCOMPARE(model.rowCount(), 0);
        model.didMatchPage(1, QStringLiteral("x"), typed, at(1, 1));
        QCOMPARE(model.rowCount(), 1);
    }

    void pageLabelColumn()
    {
        SearchResultsModel model;
        const OutlineTree tree = sampleTree();
        model.addResults(tocResults(tree, QStringLiteral("introduction"), labels));
        QCOMPARE(model.index(0, SearchResultsModel::PageLabelColumn).data().toString(), QStringLiteral("3"));
        QCOMPARE(model.index(0, 0).data(SearchResultsModel::RawPageLabelRole).toString(),
            QStringLiteral("3/@loc/72x/720y/"));
    }

    void filter_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<int>("segments"); // bit 0 text, 1 annotations, 2 TOC
        QTest::addColumn<bool>("shown");
        QTest::newRow("text with text") << "Text" << 1 << true;
        QTest::newRow("text without") << "Text" << 6 << false;
        for (const char* kind : { "Note", "Highlight", "Underline", "Strikeout" }) {
            QTest::addRow("%s with annotations", kind) << kind << 2 << true;
            QTest::addRow("%s without", kind) << kind << 5 << false;
        }
        QTest::newRow("TOC") << "TOC" << 4 << true;
        QTest::newRow("TOC without") << "TOC" << 3 << false;
        QTest::newRow("other markup never") << "" << 7 << false;
        QTest::newRow("like is exact") << "text" << 7 << false;
        QTest::newRow("nothing selected") << "Text" << 0 << false;
    }
    void filter()
    {
        QFETCH(QString, type);
        QFETCH(int, segments);
        QTEST(searchFilterAccepts(type, { bool(segments & 1), bool(segments & 2), bool(segments & 4) }), "shown");
    }

    // Deselecting every segment hides all rows and keeps them; selecting one shows its rows again.
    void filterKeepsRows()
    {
        SearchResultsModel model;
        const OutlineTree tree = sampleTree();
        model.addResults(tocResults(tree, QStringLiteral("intro"), labels));
        model.didMatchPage(1, QStringLiteral("1"), QStringLiteral("intro"), at(1, 1));
        SearchResultsFilter filter;
        filter.setSourceModel(&model);
        QCOMPARE(filter.rowCount(), 3);
        filter.setSegments({ false, false, false });
        QCOMPARE(filter.rowCount(), 0);
        QCOMPARE(model.rowCount(), 3);
        filter.setSegments({ true, false, false });
        QCOMPARE(filter.rowCount(), 1);
        QCOMPARE(SearchResultsModel::resultForIndex(filter.index(0, 0))->resultType, QStringLiteral("Text"));
        filter.setSegments({ false, false, true });
        QCOMPARE(descriptions(filter).size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestSearchResults)
#include "test_search_results.moc"
