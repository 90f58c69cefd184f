#pragma once
// The search structures behind title-path matching over one unchanging tree.
// Internal to OutlineTree.

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <cstddef>
#include <unordered_map>
#include <vector>

namespace tolvo {

/// Finds the items that title-path components match, without testing every
/// title: each title's lower-cased words are computed once, a pattern word
/// leads through an n-gram index of the title words to the items holding a
/// word that contains it, and the items whose titles have a component as an
/// abbreviation are kept per component text. Items are pre-order positions.
class OutlineIndex {
public:
    /// The shape of one item, by pre-order position.
    struct Shape {
        int parent = -1;
        int level = 1;       ///< 1 for a top-level item
        int subtreeEnd = 0;  ///< one past the subtree's last position
        quint64 height = 1;  ///< myDepth
    };

    OutlineIndex(std::vector<Shape> shape, const std::vector<QString>& titles);

    /// The items that components (none empty) match, in match order. With a
    /// limit, the search stops once that many are found and their order is
    /// unspecified.
    std::vector<int> matches(const QStringList& components, std::size_t limit = SIZE_MAX) const;
    /// Whether item itself is among the matches of components.
    bool isMatched(const QStringList& components, int item) const;

    /// The dotted form of an item's title.
    const QString& dottedTitle(int item) const;

private:
    using Positions = std::vector<int>;

    const Positions& matchSet(const QString& component) const;
    const Positions& posting(const QString& word) const;
    Positions wordsContaining(const QString& word) const;
    bool abbreviates(int item, const QStringList& patternWords) const;
    int ancestor(int item, int steps) const;

    std::vector<Shape> m_shape;
    std::vector<QString> m_titles;
    std::vector<QStringList> m_titleWords; ///< lower-cased, empty words kept
    mutable std::vector<QString> m_dotted;
    mutable std::vector<bool> m_hasDotted;

    std::vector<QString> m_vocabulary;          ///< distinct non-empty title words
    std::vector<Positions> m_itemsOfWord;       ///< sorted items per vocabulary word
    std::unordered_map<quint64, Positions> m_grams; ///< 1-, 2- and 3-unit grams to vocabulary words

    mutable std::unordered_map<QString, Positions> m_postings;   ///< pattern word to items
    mutable std::unordered_map<QString, Positions> m_matchSets;  ///< component to items
};

} // namespace tolvo
