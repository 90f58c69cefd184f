// SPDX-License-Identifier: GPL-3.0-or-later
// The outline tree: building, heights, buckets, index paths and the item model.
#include "OutlineGenerators.h"
#include "outline/OutlineModel.h"
#include "outline/OutlineNode.h"
#include "outline/OutlineTree.h"

#include <QAbstractItemModelTester>
#include <QtTest>

using namespace tolvo;
using tolvo::testing::itemAt;
using tolvo::testing::outlineFromText;

namespace {

// A source outline written as plain data.
struct DataNode : OutlineNode {
    QString title;
    std::optional<OutlineNodeDestination> dest;
    std::vector<std::shared_ptr<DataNode>> kids;

    int numberOfChildren() const override { return int(kids.size()); }
    std::unique_ptr<OutlineNode> childAtIndex(int i) const override
    {
        return std::make_unique<DataNode>(*kids[std::size_t(i)]);
    }
    QString label() const override { return title; }
    std::optional<OutlineNodeDestination> destination() const override { return dest; }
};

std::shared_ptr<DataNode> node(
    const QString& title, std::optional<OutlineNodeDestination> dest, std::vector<std::shared_ptr<DataNode>> kids = {})
{
    auto n = std::make_shared<DataNode>();
    n->title = title;
    n->dest = std::move(dest);
    n->kids = std::move(kids);
    return n;
}

QList<int> heightsOf(const OutlineTree& tree)
{
    QList<int> heights;
    for (const MyOutlineItem* item : tree.items())
        heights << int(item->myDepth());
    return heights;
}

// Each bucket as the pre-order positions of its items.
QList<QList<int>> bucketsOf(const OutlineTree& tree)
{
    QList<QList<int>> buckets;
    for (const auto& bucket : tree.moiDepthArray()) {
        QList<int> positions;
        for (const MyOutlineItem* item : bucket)
            positions << tree.indexOf(item);
        buckets << positions;
    }
    return buckets;
}

} // namespace

class TestOutlineTree : public QObject {
    Q_OBJECT

private slots:
    void newItem()
    {
        const MyOutlineItem item;
        QCOMPARE(item.pageTitle(), QStringLiteral("Untitled"));
        QCOMPARE(item.pageLabel(), QStringLiteral("1"));
        QCOMPARE(item.myDepth(), quint64(1));
        QVERIFY(item.children().empty());
        QVERIFY(!item.parent());
    }

    void heightsAndBuckets_data()
    {
        QTest::addColumn<QString>("outline");
        QTest::addColumn<QList<int>>("heights");
        QTest::addColumn<QList<QList<int>>>("buckets");
        QTest::newRow("empty") << "" << QList<int>() << QList<QList<int>> { {}, {}, {} };
        QTest::newRow("three leaves") << "A\nB\nC" << QList<int> { 1, 1, 1 }
                                      << QList<QList<int>> { {}, { 0, 1, 2 }, {} };
        QTest::newRow("chain") << "R\n  S\n    T" << QList<int> { 3, 2, 1 }
                               << QList<QList<int>> { {}, { 2 }, { 1 }, { 0 }, {} };
        QTest::newRow("short child first") << "P\n  a\n  b\n    c\n      d" << QList<int> { 4, 1, 3, 2, 1 }
                                           << QList<QList<int>> { {}, { 1, 4 }, { 3 }, { 2 }, { 0 }, {} };
        QTest::newRow("tall child first") << "P\n  b\n    c\n      d\n  a" << QList<int> { 4, 3, 2, 1, 1 }
                                          << QList<QList<int>> { {}, { 3, 4 }, { 2 }, { 1 }, { 0 }, {} };
        QTest::newRow("buckets in pre-order") << "A\n  x\nB\nC\n  y\n  z" << QList<int> { 2, 1, 1, 2, 1, 1 }
                                              << QList<QList<int>> { {}, { 1, 2, 4, 5 }, { 0, 3 }, {} };
    }
    void heightsAndBuckets()
    {
        QFETCH(QString, outline);
        const OutlineTree tree = outlineFromText(outline);
        QFETCH(QList<int>, heights);
        QCOMPARE(heightsOf(tree), heights);
        QFETCH(QList<QList<int>>, buckets);
        QCOMPARE(bucketsOf(tree), buckets);
    }

    void updateDepthPassesUpEvenWhenUnchanged()
    {
        MyOutlineItem top;
        MyOutlineItem* middle = top.appendChild(std::make_unique<MyOutlineItem>());
        middle->updateDepthForChildDepth(3);
        QCOMPARE(middle->myDepth(), quint64(4));
        QCOMPARE(top.myDepth(), quint64(5));
        // A smaller child height leaves the item as it is, but its own height still goes up.
        MyOutlineItem* other = top.appendChild(std::make_unique<MyOutlineItem>());
        other->updateDepthForChildDepth(0);
        QCOMPARE(other->myDepth(), quint64(1));
        QCOMPARE(top.myDepth(), quint64(5));
    }

    void description()
    {
        const OutlineTree tree = outlineFromText(QStringLiteral("Intro %1 | iv/@loc/72x/701y/\n  a\n  b"));
        QCOMPARE(tree.items()[0]->description(), QStringLiteral("pg[iv/@loc/72x/701y/] Intro %1 [children 2]"));
    }

    void buildFromSourceNodes()
    {
        const auto root = node(QString(), std::nullopt,
            { node(QStringLiteral("Preface"), OutlineNodeDestination { QStringLiteral("iv"), { 72.4, 700.6 } }),
                node(QStringLiteral("Part"), std::nullopt,
                    { node(QStringLiteral("One"), OutlineNodeDestination { QStringLiteral("1"), { 0, -3.7 } }),
                        node(QStringLiteral("Two"), OutlineNodeDestination { QStringLiteral("2"), { 10, 20 } }) }) });
        const OutlineTree tree = OutlineTree::fromOutlineRoot(root.get());
        QCOMPARE(tree.items().size(), std::size_t(4));
        QCOMPARE(tree.items()[0]->pageTitle(), QStringLiteral("Preface"));
        QCOMPARE(tree.items()[0]->pageLabel(), QStringLiteral("iv/@loc/72x/701y/"));
        QCOMPARE(tree.items()[1]->pageLabel(), QStringLiteral("/@loc/0x/0y/"));
        QCOMPARE(tree.items()[2]->pageLabel(), QStringLiteral("1/@loc/0x/-4y/"));
        QCOMPARE(tree.items()[3]->pageTitle(), QStringLiteral("Two"));
        QCOMPARE(tree.items()[3]->parent(), tree.items()[1]);
        QVERIFY(!tree.items()[1]->parent());
        QCOMPARE(tree.items()[1]->myDepth(), quint64(2));
        QCOMPARE(tree.moiDepthArray().size(), std::size_t(4));

        QVERIFY(OutlineTree::fromOutlineRoot(nullptr).isEmpty());
        QCOMPARE(
            OutlineTree::fromOutlineRoot(node(QString(), std::nullopt).get()).moiDepthArray().size(), std::size_t(3));
    }

    void indexPaths()
    {
        const OutlineTree tree = outlineFromText(QStringLiteral("A\nB\n  C\n  D\n    E"));
        const OutlineTree other = outlineFromText(QStringLiteral("A\nB\n  C\n  D\n    E"));
        QCOMPARE(tree.indexPathForMOI(tree.items()[4]), std::optional<QList<int>>(QList<int> { 1, 1, 0 }));
        QCOMPARE(tree.indexPathForMOI(tree.items()[0]), std::optional<QList<int>>(QList<int> { 0 }));
        QVERIFY(!tree.indexPathForMOI(other.items()[4]));
        QVERIFY(!tree.indexPathForMOI(nullptr));
        QCOMPARE(itemAt(tree, { 1, 1, 0 }), tree.items()[4]);
        QCOMPARE(tree.levelOf(tree.items()[4]), 3);
        QCOMPARE(tree.levelOf(other.items()[4]), 0);
    }

    void model()
    {
        const OutlineTree tree = outlineFromText(
            QStringLiteral("Preface | iv/@loc/72x/701y/\nPart | 3/@loc/0x/0y/\n  One | 4/@loc/1x/2y/"));
        OutlineModel model(tree);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.rowCount(), 2);
        const QModelIndex part = model.index(1, 0);
        QCOMPARE(model.rowCount(part), 1);
        const QModelIndex one = model.index(0, 0, part);
        QCOMPARE(one.data().toString(), QStringLiteral("One"));
        QCOMPARE(model.index(0, OutlineModel::PageLabelColumn, part).data().toString(), QStringLiteral("4"));
        QCOMPARE(model.index(0, OutlineModel::PageLabelColumn).data().toString(), QStringLiteral("iv"));
        QCOMPARE(one.data(OutlineModel::ExtendedPageLabelRole).toString(), QStringLiteral("4/@loc/1x/2y/"));
        QCOMPARE(model.parent(one), part);
        QCOMPARE(OutlineModel::itemForIndex(one), tree.items()[2]);

        QCOMPARE(model.indexPathForMOI(tree.items()[2]), one);
        const OutlineTree other = outlineFromText(QStringLiteral("Preface"));
        QVERIFY(!model.indexPathForMOI(other.items()[0]).isValid());
    }

    // Trees far deeper and wider than any manual: every walk is iterative.
    void deepAndWideTrees_data()
    {
        QTest::addColumn<int>("levels");
        QTest::addColumn<int>("width");
        QTest::newRow("100000 levels") << 100000 << 1;
        QTest::newRow("100000 siblings") << 1 << 100000;
    }
    void deepAndWideTrees()
    {
        QFETCH(int, levels);
        QFETCH(int, width);
        std::vector<std::unique_ptr<MyOutlineItem>> top;
        top.push_back(std::make_unique<MyOutlineItem>(QStringLiteral("Level 1"), QStringLiteral("1/@loc/0x/0y/")));
        MyOutlineItem* at = top.back().get();
        for (int level = 2; level <= levels; ++level)
            at = at->appendChild(std::make_unique<MyOutlineItem>(
                QStringLiteral("Level %1").arg(level), QStringLiteral("1/@loc/0x/0y/")));
        for (int i = 1; i < width; ++i)
            top.push_back(
                std::make_unique<MyOutlineItem>(QStringLiteral("Item %1").arg(i), QStringLiteral("1/@loc/0x/0y/")));
        const OutlineTree tree(std::move(top));
        QCOMPARE(tree.items().size(), std::size_t(levels + width - 1));
        QCOMPARE(tree.outlinedata_array()[0]->myDepth(), quint64(levels));
        QCOMPARE(tree.moiDepthArray().size(), std::size_t(levels + 2));
        const MyOutlineItem* last = tree.items().back();
        QCOMPARE(tree.indexPathForMOI(last)->size(), levels == 1 ? 1 : levels);
        const QString target = tree.makeShortURLForMOI(last);
        QVERIFY(!target.isEmpty());
        const auto matches = tree.moiMatchingURLSuffix(target);
        QVERIFY(matches && matches->front() == last);
    }
};

QTEST_GUILESS_MAIN(TestOutlineTree)
#include "test_outline_tree.moc"
