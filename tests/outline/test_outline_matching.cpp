// SPDX-License-Identifier: GPL-3.0-or-later
// Title paths: forming them, matching them against the outline, and choosing
// the short link path of an item.
#include "OutlineGenerators.h"
#include "links/LinkGrammar.h"
#include "links/PathStrings.h"
#include "outline/OutlineTree.h"
#include "outline/PathVariants.h"

#include <QtTest>

using namespace tolvo;
using tolvo::testing::outlineFromText;

namespace {

const char* const kWorkedExample = "Preface\n"
                                   "Chapter 1\n"
                                   "  Introduction\n"
                                   "  Methods\n"
                                   "Chapter 2\n"
                                   "  Introduction\n"
                                   "  Results\n"
                                   "Appendix | A-1/@loc/72x/700y/\n"
                                   "Appendix | A-2/@loc/72x/700y/\n";

const char* const kChapters = "Chapter 1\n"
                              "  Introduction\n"
                              "Chapter 11\n"
                              "  Introduction\n";

QList<int> positions(const OutlineTree& tree, const std::optional<OutlineTree::Items>& items)
{
    QList<int> result;
    if (items)
        for (const MyOutlineItem* item : *items)
            result << tree.indexOf(item);
    return result;
}

} // namespace

class TestOutlineMatching : public QObject {
    Q_OBJECT

private slots:
    void longSuffixUpToParent_data()
    {
        QTest::addColumn<int>("item");
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("path"); // null: nothing
        QTest::newRow("own title") << 1 << 0 << "introduction";
        QTest::newRow("with parent") << 1 << 1 << "chapter.1/introduction";
        QTest::newRow("beyond the top") << 1 << 2 << QString();
        QTest::newRow("top level, n 0") << 2 << 0 << "chapter.11";
        QTest::newRow("top level, n 1") << 2 << 1 << QString();
    }
    void longSuffixUpToParent()
    {
        QFETCH(int, item);
        QFETCH(int, n);
        QFETCH(QString, path);
        const OutlineTree tree = outlineFromText(QLatin1String(kChapters));
        const std::optional<QString> got = tree.items()[std::size_t(item)]->longSuffixUpToParent(quint64(n));
        QCOMPARE(got.has_value(), !path.isNull());
        if (got)
            QCOMPARE(*got, path);
    }

    void matches_data()
    {
        QTest::addColumn<QString>("outline");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("shorter number matches both") << kChapters << "chapter.1/introduction" << QList<int> { 1, 3 };
        QTest::newRow("longer number matches one") << kChapters << "chapter.11/introduction" << QList<int> { 3 };
        QTest::newRow("abbreviated") << kChapters << "ch.11/intro" << QList<int> { 3 };
        QTest::newRow("empty slashes ignored") << kChapters << "/chapter.11//introduction/" << QList<int> { 3 };
        QTest::newRow("starts below the top") << "Part\n  Introduction\n    Details"
                                              << "introduction/details" << QList<int> { 2 };
        QTest::newRow("leaf before item with children") << "Introduction\n  Details\nMore\n  Introduction"
                                                        << "introduction" << QList<int> { 3, 0 };
        QTest::newRow("smaller height, then pre-order, then children order") << "A\n  B\n    x\n  B\n    y\nB\n  z"
                                                                             << "b" << QList<int> { 1, 3, 5 };
        QTest::newRow("children in order below one start") << "A\n  B\n    x1\n    x2\n  B\n    x3"
                                                           << "a/b/x" << QList<int> { 2, 3, 5 };
        QTest::newRow("only slashes") << kChapters << "///" << QList<int>();
        QTest::newRow("empty path") << kChapters << "" << QList<int>();
        QTest::newRow("more components than levels") << kChapters << "chapter/introduction/x" << QList<int>();
        QTest::newRow("location form") << "iv\n  @loc\n    72x\n      541y"
                                       << "iv/@loc/72x/541y" << QList<int>();
        QTest::newRow("page label as title word") << "Chapter 12\nResults 2012\nChapter 2"
                                                  << "12" << QList<int> { 0, 1 };
        QTest::newRow("page label with slash") << "Chapter 12\nResults 2012\nChapter 2"
                                               << "12/" << QList<int> { 0, 1 };
        QTest::newRow("order counts") << "Part A: Methods and Results"
                                      << "methods.part" << QList<int>();
        QTest::newRow("first and last word") << "Part A: Methods and Results"
                                             << "part.results" << QList<int> { 0 };
        QTest::newRow("punctuation-only component") << "---\n  x"
                                                    << "-/x" << QList<int>();
        QTest::newRow("empty word in component") << "a b"
                                                 << "a..b" << QList<int>();
    }
    void matches()
    {
        QFETCH(QString, outline);
        QFETCH(QString, path);
        const OutlineTree tree = outlineFromText(outline);
        const std::optional<OutlineTree::Items> found = tree.moiMatchingURLSuffix(path);
        QFETCH(QList<int>, expected);
        QCOMPARE(positions(tree, found), expected);
        QVERIFY(!found || !found->empty()); // nothing, never an empty list
    }

    void matchesBelowOneItem()
    {
        const OutlineTree tree = outlineFromText(QStringLiteral("A\n  B\n    x1\n    x2\n  B\n    x3"));
        const MyOutlineItem* a = tree.items()[0];
        QCOMPARE(positions(tree,
                     a->matchesForURLSuffixArray({ QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("x") })),
            (QList<int> { 2, 3, 5 }));
        QCOMPARE(positions(tree, a->matchesForURLSuffixArray({ QStringLiteral("a") })), QList<int> { 0 });
        QVERIFY(!a->matchesForURLSuffixArray({}));
        QVERIFY(!a->matchesForURLSuffixArray({ QStringLiteral("b") }));
        QVERIFY(!a->matchesForURLSuffixArray({ QStringLiteral("a"), QStringLiteral("q") }));
    }

    void onlyMatches()
    {
        const OutlineTree tree = outlineFromText(QStringLiteral("Intro\nIntro\nOther"));
        const OutlineTree other = outlineFromText(QStringLiteral("Other"));
        QVERIFY(!tree.moiMatchingURLSuffix(QStringLiteral("intro"), tree.items()[0]));
        QVERIFY(tree.moiMatchingURLSuffix(QStringLiteral("other"), tree.items()[2]));
        QVERIFY(!tree.moiMatchingURLSuffix(QStringLiteral("other"), tree.items()[0]));
        QVERIFY(!tree.moiMatchingURLSuffix(QStringLiteral("other"), other.items()[0]));
        QVERIFY(!tree.moiMatchingURLSuffix(QString(), tree.items()[2]));
    }

    void shortLinkPaths_data()
    {
        QTest::addColumn<QString>("outline");
        QTest::addColumn<int>("item");
        QTest::addColumn<QString>("target");
        QTest::newRow("worked: introduction of chapter 1") << kWorkedExample << 2 << "chapt.1/introd";
        QTest::newRow("worked: preface") << kWorkedExample << 0 << "prefac";
        QTest::newRow("worked: results (tie keeps the full word)") << kWorkedExample << 6 << "results";
        QTest::newRow("worked: chapter 1") << kWorkedExample << 1 << "chapt.1";
        QTest::newRow("worked: methods") << kWorkedExample << 3 << "meth";
        QTest::newRow("worked: introduction of chapter 2") << kWorkedExample << 5 << "chapt.2/introd";
        QTest::newRow("worked: first appendix") << kWorkedExample << 7 << "A-1/@loc/72x/700y/";
        QTest::newRow("worked: second appendix") << kWorkedExample << 8 << "A-2/@loc/72x/700y/";
        QTest::newRow("unique top level, short title") << "Index\nData" << 1 << "data";
        QTest::newRow("still ambiguous up to the top") << kChapters << 1 << "2/@loc/0x/2y/";
        QTest::newRow("longer number is unique") << kChapters << 3 << "chapt.11/introd";
        QTest::newRow("punctuation only") << "---\nOther" << 0 << "1/@loc/0x/1y/";
        QTest::newRow("empty title") << "~\nOther" << 0 << "1/@loc/0x/1y/";
        QTest::newRow("best variant ambiguous, full path kept") << "Preface\nPrefacing" << 0 << "preface";
        QTest::newRow("best variant ambiguous, next lower unique")
            << "Chapter 1\n  Introduction\n  Introducing\nChapter 2\n  Introduction" << 1 << "chapter.1/introduct";
        QTest::newRow("punctuation-only parent is skipped")
            << "Part\n  ---\n    Intro\nOther\n  Intro" << 2 << "3/@loc/0x/3y/";
    }
    void shortLinkPaths()
    {
        QFETCH(QString, outline);
        QFETCH(int, item);
        const OutlineTree tree = outlineFromText(outline);
        QFETCH(QString, target);
        QCOMPARE(tree.makeShortURLForMOI(tree.items()[std::size_t(item)]), target);
    }

    // A link path that is a page label would land on that page: it is never chosen.
    void shortLinkPathsAvoidPageLabels_data()
    {
        QTest::addColumn<QString>("outline");
        QTest::addColumn<QStringList>("labels");
        QTest::addColumn<int>("item");
        QTest::addColumn<QString>("target");
        QTest::newRow("title equal to a label, no labels known") << "12\nOther" << QStringList() << 0 << "12";
        QTest::newRow("top-level title equal to a label")
            << "12\nOther" << QStringList { "11", "12" } << 0 << "1/@loc/0x/1y/";
        QTest::newRow("title equal to a label gets its parent")
            << "Chapter\n  iv\nOther\n  v" << QStringList { "iii", "iv" } << 1 << "chapt/iv";
        QTest::newRow("label in a longer title is no label")
            << "12 Errors and Warnings\nOther" << QStringList { "12" } << 0 << "12.err.and.warn";
        QTest::newRow("best variant is a label") << "Preface\nOther" << QStringList { "prefac" } << 0 << "preface";
        QTest::newRow("labels of other words") << "Preface\nOther" << QStringList { "12", "pref" } << 0 << "prefac";
        QTest::newRow("case differs from the label") << "IV\nOther" << QStringList { "IV" } << 0 << "iv";
    }
    void shortLinkPathsAvoidPageLabels()
    {
        QFETCH(QString, outline);
        QFETCH(QStringList, labels);
        QFETCH(int, item);
        QFETCH(QString, target);
        OutlineTree tree = outlineFromText(outline);
        tree.setPageLabels(labels);
        const MyOutlineItem* named = tree.items()[std::size_t(item)];
        QCOMPARE(tree.makeShortURLForMOI(named), target);
        for (const QString& label : labels)
            QVERIFY(!tree.moiMatchingURLSuffix(label, named));
    }

    // The variants are scored from word lengths; they must be the generator's own, in its order.
    void variantsAsGenerated_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("worked example") << "chapter.1/introduction";
        QTest::newRow("two plain parts") << "summary/results";
        QTest::newRow("dotted only, nothing to shorten") << "a.b.x";
        QTest::newRow("dotted without variants beside a plain one") << "a.b/data";
        QTest::newRow("empty component") << "part//intro";
        QTest::newRow("empty path") << "";
        QTest::newRow("256-unit word")
            << QString(128, QLatin1Char('t')).replace(QLatin1String("tt"), QLatin1String("ta"))
                + QString(128, QLatin1Char('a'));
        QTest::newRow("257-unit word") << QStringLiteral("x.")
                + QString(257, QLatin1Char('a'))
                      .replace(0, 200, QString(100, QLatin1Char('b')) + QString(100, QLatin1Char('a')));
        QTest::newRow("many words") << "matrix.functions.and.linear.algebra/eigenvalues.decomposition";
        QTest::newRow("non-ASCII") << "résumé.überblick/éditions";
    }
    void variantsAsGenerated()
    {
        QFETCH(QString, path);
        const QStringList expected = miniComponentsSeparatedByString(path, QStringLiteral("/"));
        const PathVariants variants(path);
        QStringList got;
        for (int v = 0; v < variants.count(); ++v) {
            got << variants.text(v);
            QCOMPARE(variants.components(v), variants.text(v).split(QLatin1Char('/'), Qt::SkipEmptyParts));
        }
        QCOMPARE(got, expected);
    }

    void fallbackLinkEndsWithTwoSlashes()
    {
        const OutlineTree tree = outlineFromText(QLatin1String(kWorkedExample));
        QCOMPARE(tocLink(QStringLiteral("book/"), tree.makeShortURLForMOI(tree.items()[7])),
            QStringLiteral("tolvo://book/A-1/@loc/72x/700y//"));
    }

    void everyTitlePathNamesItsItem()
    {
        const OutlineTree tree = outlineFromText(QLatin1String(kWorkedExample));
        for (const MyOutlineItem* item : tree.items()) {
            const QString target = tree.makeShortURLForMOI(item);
            if (!target.endsWith(QLatin1Char('/')))
                QVERIFY2(tree.moiMatchingURLSuffix(target, item), qPrintable(target));
        }
    }

    void itemOfAnotherTree()
    {
        const OutlineTree tree = outlineFromText(QStringLiteral("Preface"));
        const OutlineTree other = outlineFromText(QStringLiteral("Preface | ix/@loc/1x/2y/"));
        QCOMPARE(tree.makeShortURLForMOI(other.items()[0]), QStringLiteral("ix/@loc/1x/2y/"));
    }
};

QTEST_GUILESS_MAIN(TestOutlineMatching)
#include "test_outline_matching.moc"
