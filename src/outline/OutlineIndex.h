// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The search structures behind title-path matching over one unchanging tree.
// Internal to OutlineTree.

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <unordered_map>
#include <vector>

namespace tolvo {

/// Finds the items that title-path components match, without testing every
/// title: each title's lower-cased words are computed once, a pattern word
/// leads through an n-gram index of the title words to the items holding a
/// word that contains it, and the items whose titles have a component as an
/// abbreviation are kept per component. Items are pre-order positions;
/// components are interned as small numbers.
class OutlineIndex {
public:
    /// The shape of one item, by pre-order position.
    struct Shape {
        int parent = -1;
        int level = 1; ///< 1 for a top-level item
        int subtreeEnd = 0; ///< one past the subtree's last position
        quint64 height = 1; ///< myDepth
    };
    using Components = std::vector<int>;

    OutlineIndex(std::vector<Shape> shape, const std::vector<QString>& titles);

    /// The number that stands for a component text (not empty).
    int componentId(const QString& component) const;
    /// The ids of a path's non-empty "/"-pieces, in order.
    Components componentsOfPath(QStringView path) const;

    /// The items that the components match, in match order. With a limit, the
    /// search stops once that many are found and their order is unspecified.
    std::vector<int> matches(const Components& components, std::size_t limit = SIZE_MAX) const;
    /// The one item that the components match; -1 when none or several do.
    int onlyMatch(const Components& components) const;

    /// Paths that grow upwards, one component at a time, as the shortest unique
    /// path of an item is searched: node -1 is the empty path, and the node for
    /// a path with one more component in front is kept, with its only match.
    int prependComponent(int node, int component) const;
    /// onlyMatch of the path that node stands for (components is that path).
    int onlyMatchOfPath(int node, const Components& components) const;

    /// The dotted form of an item's title.
    const QString& dottedTitle(int item) const;

private:
    using Positions = std::vector<int>;

    const Positions& matchSet(int component) const { return *m_componentSets[std::size_t(component)]; }
    const Positions& posting(QStringView word) const;
    const Positions& wordsContaining(QStringView word) const;
    bool abbreviates(int item, const std::vector<QStringView>& patternWords) const;
    int ancestor(int item, int steps) const;

    std::vector<Shape> m_shape;
    std::vector<QString> m_titles;
    std::vector<QStringList> m_titleWords; ///< lower-cased, empty words kept
    mutable std::vector<QString> m_dotted;
    mutable std::vector<bool> m_hasDotted;

    std::vector<QString> m_vocabulary; ///< distinct non-empty title words
    std::vector<Positions> m_itemsOfWord; ///< sorted items per vocabulary word
    /// 1-, 2- and 3-unit grams to the vocabulary words holding them: a run of m_gramWords.
    struct GramRun {
        int begin = 0;
        int count = 0;
        int lastWord = -1; ///< while counting: the last word seen, so a word counts once
    };
    std::unordered_map<quint64, GramRun> m_grams;
    Positions m_gramWords;
    mutable Positions m_scratch;

    mutable std::unordered_map<QString, Positions> m_postings; ///< pattern word to items
    mutable std::unordered_map<QString, int> m_componentIds;
    mutable std::vector<const Positions*> m_componentSets; ///< per component: the items it abbreviates
    mutable std::deque<Positions> m_ownedSets;

    mutable std::unordered_map<std::uint64_t, int> m_pathNodes; ///< (node + 1, component) to node
    mutable std::vector<int> m_pathOnly; ///< per node; -2 until known
};

} // namespace tolvo
