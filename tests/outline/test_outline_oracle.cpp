// SPDX-License-Identifier: GPL-3.0-or-later
// The indexed tree against the plain reference, on random outlines made to be
// ambiguous, with page labels that are also titles. TOLVO_ORACLE_ROUNDS sets the
// number of outlines (default 1500).
#include "OutlineGenerators.h"
#include "OutlineOracle.h"
#include "links/LinkGrammar.h"
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
        return ok && n > 0 ? n : 400; // TOLVO_ORACLE_ROUNDS=5000 for a long run
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
            if (tree.moiMatchingURLSuffix(path, item) != reference.onlyMatches(path, item)) {
                why = QStringLiteral("path '%1' only-match of item %2 differs").arg(path).arg(tree.indexOf(item));
                return false;
            }
        return true;
    }

    // Reads a target as a document window follows it, as a landing the reference can give.
    static oracle::Landing follow(const OutlineTree& tree, const QStringList& labels, const QString& target)
    {
        const TargetReading reading = readTarget(
            target,
            [&labels](const QString& label) {
                const qsizetype page = labels.indexOf(label);
                return page < 0 ? std::nullopt : std::optional<int>(int(page));
            },
            [&tree](const QStringList& components) -> std::optional<int> {
                const auto matches = tree.moiMatchingURLSuffix(components);
                return matches ? std::optional<int>(tree.indexOf(matches->front())) : std::nullopt;
            });
        switch (reading.kind) {
        case TargetReading::Kind::Page:
            return { reading.pageIndex, nullptr };
        case TargetReading::Kind::TitlePath:
            return { -1, tree.items()[std::size_t(reading.matchId)] };
        default:
            return {};
        }
    }

    // Every page link lands on the first page with its label, every TOC link on its entry, and
    // the window reads each target where the reference does.
    bool linksLand(const OutlineTree& tree, const oracle::Oracle& reference, const QStringList& labels,
        const QStringList& paths, QString& why)
    {
        for (const QString& label : labels) {
            const oracle::Landing expected { int(labels.indexOf(label)), nullptr };
            for (const QString& target : { label, label + QLatin1Char('/') })
                if (follow(tree, labels, target) != expected) {
                    why = QStringLiteral("page link '%1' misses its page").arg(target);
                    return false;
                }
        }
        for (const MyOutlineItem* item : tree.items()) {
            const QString target = tree.makeShortURLForMOI(item) + QLatin1Char('/');
            const oracle::Landing landing = follow(tree, labels, target);
            const bool byTitle = !parseLocationTarget(target);
            if (byTitle ? landing.item != item : landing.item || landing.page >= 0) {
                why = QStringLiteral("TOC link '%1' of item %2 misses it").arg(target).arg(tree.indexOf(item));
                return false;
            }
        }
        for (const QString& path : paths)
            for (const QString& target : { path, path + QLatin1Char('/') })
                if (follow(tree, labels, target) != reference.follow(target)) {
                    why = QStringLiteral("target '%1' read elsewhere than the reference reads it").arg(target);
                    return false;
                }
        return true;
    }

    bool checkOutline(
        const OutlineTree& tree, const QStringList& labels, testing::AmbiguousOutlines& random, QString& why)
    {
        const oracle::Oracle reference(tree, labels);
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
        paths << labels;
        paths.removeDuplicates();
        for (const QString& path : paths)
            if (!agree(tree, reference, path, why))
                return false;
        return linksLand(tree, reference, labels, paths, why);
    }

private slots:
    void agreesOnRandomOutlines()
    {
        const int n = rounds();
        for (int round = 0; round < n; ++round) {
            testing::AmbiguousOutlines random(unsigned(round) + 1);
            OutlineTree tree = random.next(round % 10 == 0 ? 80 : 30);
            // Some documents have no labels to avoid: their links are the plain shortest paths.
            const QStringList labels = round % 5 == 4 ? QStringList() : random.pageLabels();
            tree.setPageLabels(labels);
            QString why;
            if (!checkOutline(tree, labels, random, why))
                QFAIL(qPrintable(QStringLiteral("outline %1 (seed %2): %3\nlabels %4\n%5")
                                     .arg(round)
                                     .arg(round + 1)
                                     .arg(why, labels.join(QLatin1Char(' ')), dump(tree))));
        }
    }
};

QTEST_GUILESS_MAIN(TestOutlineOracle)
#include "test_outline_oracle.moc"
