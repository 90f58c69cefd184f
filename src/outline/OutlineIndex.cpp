// Title-path matching over an indexed tree.
#include "outline/OutlineIndex.h"

#include "links/PathStrings.h"
#include "links/WordViews.h"

#include <algorithm>
#include <tuple>

namespace tolvo {

namespace {

constexpr qsizetype kLongestGram = 3;

quint64 gramKey(QStringView text)
{
    quint64 key = quint64(text.size()) << 48;
    for (qsizetype i = 0; i < text.size(); ++i)
        key |= quint64(text[i].unicode()) << (32 - 16 * i);
    return key;
}

// The words of a text as the abbreviation test cuts them: lower-cased first,
// every separator cuts, empty words kept.
QStringList wordsOf(const QString& text)
{
    const detail::LowerCased lower(text);
    detail::WordViews views;
    detail::splitWords(lower.view(), views);
    QStringList words;
    words.reserve(views.size());
    for (QStringView w : views)
        words.append(w.toString());
    return words;
}

bool containsWord(const QString& haystack, const QString& needle)
{
    return !needle.isEmpty() && haystack.contains(needle);
}

bool inSet(const std::vector<int>& set, int item)
{
    return std::binary_search(set.begin(), set.end(), item);
}

} // namespace

OutlineIndex::OutlineIndex(std::vector<Shape> shape, const std::vector<QString>& titles)
    : m_shape(std::move(shape))
    , m_titles(titles)
    , m_dotted(titles.size())
    , m_hasDotted(titles.size(), false)
{
    m_titleWords.reserve(titles.size());
    std::unordered_map<QString, int> wordIds;
    for (int item = 0; item < int(titles.size()); ++item) {
        m_titleWords.push_back(wordsOf(titles[std::size_t(item)]));
        for (const QString& word : m_titleWords.back()) {
            if (word.isEmpty())
                continue;
            const auto [it, isNew] = wordIds.try_emplace(word, int(m_vocabulary.size()));
            if (isNew) {
                m_vocabulary.push_back(word);
                m_itemsOfWord.emplace_back();
            }
            Positions& items = m_itemsOfWord[std::size_t(it->second)];
            if (items.empty() || items.back() != item)
                items.push_back(item);
        }
    }
    // Items were visited in order, so every list is sorted already.
    for (int id = 0; id < int(m_vocabulary.size()); ++id) {
        const QStringView word = m_vocabulary[std::size_t(id)];
        for (qsizetype length = 1; length <= kLongestGram; ++length)
            for (qsizetype at = 0; at + length <= word.size(); ++at) {
                Positions& ids = m_grams[gramKey(word.sliced(at, length))];
                if (ids.empty() || ids.back() != id)
                    ids.push_back(id);
            }
    }
}

const QString& OutlineIndex::dottedTitle(int item) const
{
    const auto i = std::size_t(item);
    if (!m_hasDotted[i]) {
        m_dotted[i] = longestDotSeparatedCombo(m_titles[i]);
        m_hasDotted[i] = true;
    }
    return m_dotted[i];
}

int OutlineIndex::ancestor(int item, int steps) const
{
    for (; steps > 0 && item >= 0; --steps)
        item = m_shape[std::size_t(item)].parent;
    return item;
}

OutlineIndex::Positions OutlineIndex::wordsContaining(const QString& word) const
{
    const QStringView view(word);
    if (view.size() <= kLongestGram) {
        const auto it = m_grams.find(gramKey(view));
        return it == m_grams.end() ? Positions() : it->second;
    }
    // Every word holding the pattern word holds each of its trigrams: check the
    // words of the rarest one.
    const Positions* rarest = nullptr;
    for (qsizetype at = 0; at + kLongestGram <= view.size(); ++at) {
        const auto it = m_grams.find(gramKey(view.sliced(at, kLongestGram)));
        if (it == m_grams.end())
            return {};
        if (!rarest || it->second.size() < rarest->size())
            rarest = &it->second;
    }
    Positions ids;
    for (int id : *rarest)
        if (m_vocabulary[std::size_t(id)].contains(word))
            ids.push_back(id);
    return ids;
}

const OutlineIndex::Positions& OutlineIndex::posting(const QString& word) const
{
    const auto found = m_postings.find(word);
    if (found != m_postings.end())
        return found->second;
    Positions items;
    for (int id : wordsContaining(word)) {
        const Positions& of = m_itemsOfWord[std::size_t(id)];
        items.insert(items.end(), of.begin(), of.end());
    }
    std::sort(items.begin(), items.end());
    items.erase(std::unique(items.begin(), items.end()), items.end());
    return m_postings.emplace(word, std::move(items)).first->second;
}

bool OutlineIndex::abbreviates(int item, const QStringList& b) const
{
    // The abbreviation test over the title's stored words: a title cursor from
    // each end, the pattern words taken greedily from the front and the back.
    const QStringList& a = m_titleWords[std::size_t(item)];
    qsizetype i = 0;
    qsizetype j = a.size() - 1;
    qsizetype p = 0;
    qsizetype q = b.size() - 1;
    if (q < p)
        return true;
    for (;;) {
        if (j - i < q - p)
            return false;
        const bool front = containsWord(a[i], b[p]);
        const bool back = containsWord(a[j], b[q]);
        ++i;
        --j;
        if (front)
            ++p;
        if (back)
            --q;
        if (q < p)
            return true;
    }
}

const OutlineIndex::Positions& OutlineIndex::matchSet(const QString& component) const
{
    const auto found = m_matchSets.find(component);
    if (found != m_matchSets.end())
        return found->second;

    Positions set;
    const QStringList pattern = wordsOf(component);
    // An empty pattern word is contained nowhere, so such a component matches no title.
    if (std::none_of(pattern.begin(), pattern.end(), [](const QString& w) { return w.isEmpty(); })) {
        // Each pattern word must lie inside some title word: intersect the
        // postings, smallest first, then run the full test on what is left.
        std::vector<const Positions*> postings;
        for (const QString& word : pattern)
            postings.push_back(&posting(word));
        std::sort(postings.begin(), postings.end(),
                  [](const Positions* x, const Positions* y) { return x->size() < y->size(); });
        Positions candidates = *postings.front();
        for (std::size_t n = 1; n < postings.size() && !candidates.empty(); ++n) {
            const Positions& next = *postings[n];
            Positions kept;
            std::set_intersection(candidates.begin(), candidates.end(), next.begin(), next.end(),
                                  std::back_inserter(kept));
            candidates.swap(kept);
        }
        for (int item : candidates)
            if (abbreviates(item, pattern))
                set.push_back(item);
    }
    return m_matchSets.emplace(component, std::move(set)).first->second;
}

bool OutlineIndex::isMatched(const QStringList& components, int item) const
{
    const int k = int(components.size());
    if (k == 0 || item < 0 || item >= int(m_shape.size()) || m_shape[std::size_t(item)].level < k)
        return false;
    int at = item;
    for (int c = k - 1; c >= 0; --c, at = m_shape[std::size_t(at)].parent)
        if (!inSet(matchSet(components[c]), at))
            return false;
    return true;
}

std::vector<int> OutlineIndex::matches(const QStringList& components, std::size_t limit) const
{
    const int k = int(components.size());
    std::vector<int> found;
    if (k == 0 || limit == 0)
        return found;
    std::vector<const Positions*> sets;
    for (const QString& component : components) {
        sets.push_back(&matchSet(component));
        if (sets.back()->empty())
            return found;
    }

    // Walk from the component that the fewest titles satisfy: check the
    // ancestors above each of its items, and look below it for the items the
    // last component reaches.
    int pivot = k - 1;
    for (int c = k - 2; c >= 0; --c)
        if (sets[std::size_t(c)]->size() < sets[std::size_t(pivot)]->size())
            pivot = c;

    const auto chainHolds = [&](int from, int upper, int lower) {
        // from is at component lower; its ancestors must satisfy lower-1 .. upper.
        int at = from;
        for (int c = lower - 1; c >= upper; --c) {
            at = m_shape[std::size_t(at)].parent;
            if (!inSet(*sets[std::size_t(c)], at))
                return false;
        }
        return true;
    };

    const Positions& last = *sets[std::size_t(k - 1)];
    for (int z : *sets[std::size_t(pivot)]) {
        const Shape& shape = m_shape[std::size_t(z)];
        if (shape.level <= pivot || shape.height < quint64(k - pivot) || !chainHolds(z, 0, pivot))
            continue;
        if (pivot == k - 1) {
            found.push_back(z);
        } else {
            const int wanted = shape.level + (k - 1 - pivot);
            auto it = std::lower_bound(last.begin(), last.end(), z + 1);
            for (; it != last.end() && *it < shape.subtreeEnd; ++it)
                if (m_shape[std::size_t(*it)].level == wanted && chainHolds(*it, pivot + 1, k - 1))
                    found.push_back(*it);
        }
        if (found.size() >= limit)
            return found;
    }

    // Match order: by the starting item's height, then its position, then the match's position.
    std::vector<std::tuple<quint64, int, int>> keyed;
    keyed.reserve(found.size());
    for (int y : found) {
        const int start = ancestor(y, k - 1);
        keyed.emplace_back(m_shape[std::size_t(start)].height, start, y);
    }
    std::sort(keyed.begin(), keyed.end());
    for (std::size_t n = 0; n < keyed.size(); ++n)
        found[n] = std::get<2>(keyed[n]);
    return found;
}

} // namespace tolvo
