// SPDX-License-Identifier: GPL-3.0-or-later
// The indexed tree against the plain reference, on random outlines made to be
// ambiguous. TOLVO_ORACLE_ROUNDS sets the number of outlines (default 1500).
#include "OutlineGenerators.h"
#include "OutlineOracle.h"
#include "links/PathStrings.h"

#include <QtTest>

using namespace tolvo;

namespace {

QString dump(const OutlineTree& tree)
{
    QString text;
    for (const MyOutlineItem* item : tree.items())
        text += QString(2 * (tree.levelOf(item) - 1), QLatin1Char(' ')) + item->pageTitle() + QLatin1String(" | ")
            + item->pageLabel() + QLatin1Char('\n');
    return text;
}

QString describe(const OutlineTree& tree, const std::optional<OutlineTree::Items>& items)
{
    if (!items)
        return QStringLiteral("nothing");
    QStringList parts;
    for (const MyOutlineItem* item : *items)
        parts << QString::number(tree.indexOf(item));
    return parts.join(QLatin1Char(','));
}

} // namespace

class TestOutlineOracle : public QObject {
    Q_OBJECT

    int rounds() const
    {
        bool ok = false;
        const int n = qEnvironmentVariableIntValue("TOLVO_ORACLE_ROUNDS", &ok);
        return ok && n > 0 ? n : 1500;
    }

    // Checks one path on both sides; returns false (after a message) when they differ.
    bool agree(const OutlineTree& tree, const oracle::Oracle& reference, const QString& path, QString& why)
    {
        const auto fast = tree.moiMatchingURLSuffix(path);
        const auto slow = reference.moiMatchingURLSuffix(path);
        if (fast != slow) {
            why = QStringLiteral("path '%1': fast %2, reference %3")
                      .arg(path, describe(tree, fast), describe(tree, slow));
            return false;
        }
        // The uniqueness test takes its own way through the index: it must say
        // what the reference list says.
        for (const MyOutlineItem* item : tree.items())
            if (tree.moiMatchingURLSuffix(path, item) != (slow && slow->size() == 1 && slow->front() == item)) {
                why = QStringLiteral("path '%1' only-match of item %2 differs").arg(path).arg(tree.indexOf(item));
                return false;
            }
        return true;
    }

    bool checkOutline(const OutlineTree& tree, testing::AmbiguousOutlines& random, QString& why)
    {
        const oracle::Oracle reference(tree);
        for (std::size_t h = 0; h < reference.buckets().size(); ++h)
            if (h >= tree.moiDepthArray().size() || tree.moiDepthArray()[h] != reference.buckets()[h]) {
                why = QStringLiteral("bucket %1 differs").arg(h);
                return false;
            }
        if (tree.moiDepthArray().size() != reference.buckets().size()) {
            why = QStringLiteral("bucket count differs");
            return false;
        }

        QStringList paths;
        for (const MyOutlineItem* item : tree.items()) {
            const QString fast = tree.makeShortURLForMOI(item);
            const QString slow = reference.makeShortURLForMOI(item);
            if (fast != slow) {
                why = QStringLiteral("link of item %1: fast '%2', reference '%3'")
                          .arg(tree.indexOf(item))
                          .arg(fast, slow);
                return false;
            }
            for (quint64 n = 0; n < 3; ++n) {
                const auto path = item->longSuffixUpToParent(n);
                if (path != oracle::Oracle::longSuffixUpToParent(item, n)) {
                    why = QStringLiteral("title path of item %1 with n %2 differs").arg(tree.indexOf(item)).arg(n);
                    return false;
                }
                if (path)
                    paths << miniComponentsSeparatedByString(*path, QStringLiteral("/"));
            }
            paths << fast;
            // The below-one-item walk, from every item, for the item's own path.
            const QStringList components = item->longSuffixUpToParent(1).value_or(QString()).split(QLatin1Char('/'));
            for (const MyOutlineItem* start : tree.items())
                if (start->matchesForURLSuffixArray(components)
                    != oracle::Oracle::matchesForURLSuffixArray(start, components)) {
                    why = QStringLiteral("matches below item %1 differ").arg(tree.indexOf(start));
                    return false;
                }
        }
        // Paths of random titles, which need not come from this tree.
        for (int i = 0; i < 4; ++i) {
            QStringList components;
            for (int c = 0, n = 1 + random.pick(3); c < n; ++c)
                components << longestDotSeparatedCombo(random.title());
            paths << components.join(QLatin1Char('/'));
        }
        paths.removeDuplicates();
        for (const QString& path : paths)
            if (!agree(tree, reference, path, why))
                return false;
        return true;
    }

private slots:
    void agreesOnRandomOutlines()
    {
        const int n = rounds();
        for (int round = 0; round < n; ++round) {
            testing::AmbiguousOutlines random(unsigned(round) + 1);
            const OutlineTree tree = random.next(round % 10 == 0 ? 80 : 30);
            QString why;
            if (!checkOutline(tree, random, why))
                QFAIL(qPrintable(
                    QStringLiteral("outline %1 (seed %2): %3\n%4").arg(round).arg(round + 1).arg(why, dump(tree))));
        }
    }
};

QTEST_GUILESS_MAIN(TestOutlineOracle)
#include "test_outline_oracle.moc"
