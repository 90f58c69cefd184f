// SPDX-License-Identifier: GPL-3.0-or-later
// Title-path matching over an indexed tree.
#include "outline/OutlineIndex.h"

#include "links/PathStrings.h"
#include "links/WordViews.h"

#include <algorithm>
#include <functional>
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

bool containsWord(QStringView haystack, QStringView needle)
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
    // The words of each title as the abbreviation test cuts them: lower-cased
    // first, every separator cuts, empty words kept.
    m_titleWords.reserve(titles.size());
    std::unordered_map<QString, int> wordIds;
    detail::WordViews views;
    for (int item = 0; item < int(titles.size()); ++item) {
        const detail::LowerCased lower(titles[std::size_t(item)]);
        detail::splitWords(lower.view(), views);
        QStringList& words = m_titleWords.emplace_back();
        words.reserve(views.size());
        for (QStringView view : views) {
            words.append(view.toString());
            const QString& word = words.back();
            if (word.isEmpty())
                continue;
            const auto [it, isNew] = wordIds.try_emplace(word, int(m_vocabulary.size()));
            if (isNew) {
                m_vocabulary.push_back(word);
                m_itemsOfWord.emplace_back();
            }
            Positions& items = m_itemsOfWord[std::size_t(it->second)];
            if (items.empty() || items.back() != item)
                items.push_back(item); // items come in order: every list is sorted
        }
    }
    // Count the words of each gram, then lay the runs out one after another.
    const auto eachGram = [this](const std::function<void(quint64, int)>& visit) {
        for (int id = 0; id < int(m_vocabulary.size()); ++id) {
            const QStringView word = m_vocabulary[std::size_t(id)];
            for (qsizetype length = 1; length <= kLongestGram; ++length)
                for (qsizetype at = 0; at + length <= word.size(); ++at)
                    visit(gramKey(word.sliced(at, length)), id);
        }
    };
    m_grams.reserve(m_vocabulary.size() * 4);
    eachGram([this](quint64 key, int id) {
        GramRun& run = m_grams[key];
        if (run.lastWord != id) {
            run.lastWord = id;
            ++run.count;
        }
    });
    int offset = 0;
    for (auto& [key, run] : m_grams) {
        run.begin = offset;
        offset += run.count;
        run.count = 0;
        run.lastWord = -1;
    }
    m_gramWords.resize(std::size_t(offset));
    eachGram([this](quint64 key, int id) {
        GramRun& run = m_grams.find(key)->second;
        if (run.lastWord != id) {
            run.lastWord = id;
            m_gramWords[std::size_t(run.begin + run.count++)] = id;
        }
    });
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

const OutlineIndex::Positions& OutlineIndex::wordsContaining(QStringView word) const
{
    m_scratch.clear();
    const auto runOf = [this](QStringView gram) -> const GramRun* {
        const auto it = m_grams.find(gramKey(gram));
        return it == m_grams.end() ? nullptr : &it->second;
    };
    if (word.size() <= kLongestGram) {
        if (const GramRun* run = runOf(word))
            m_scratch.assign(m_gramWords.begin() + run->begin, m_gramWords.begin() + run->begin + run->count);
        return m_scratch;
    }
    // Every word holding the pattern word holds each of its trigrams: check the
    // words of the rarest one.
    const GramRun* rarest = nullptr;
    for (qsizetype at = 0; at + kLongestGram <= word.size(); ++at) {
        const GramRun* run = runOf(word.sliced(at, kLongestGram));
        if (!run)
            return m_scratch;
        if (!rarest || run->count < rarest->count)
            rarest = run;
    }
    for (int n = rarest->begin; n < rarest->begin + rarest->count; ++n) {
        const int id = m_gramWords[std::size_t(n)];
        if (QStringView(m_vocabulary[std::size_t(id)]).contains(word))
            m_scratch.push_back(id);
    }
    return m_scratch;
}

const OutlineIndex::Positions& OutlineIndex::posting(QStringView word) const
{
    const QString key = word.toString();
    const auto found = m_postings.find(key);
    if (found != m_postings.end())
        return found->second;
    const Positions& ids = wordsContaining(word);
    Positions items;
    if (ids.size() == 1) {
        items = m_itemsOfWord[std::size_t(ids.front())];
    } else {
        for (int id : ids) {
            const Positions& of = m_itemsOfWord[std::size_t(id)];
            items.insert(items.end(), of.begin(), of.end());
        }
        std::sort(items.begin(), items.end());
        items.erase(std::unique(items.begin(), items.end()), items.end());
    }
    return m_postings.emplace(key, std::move(items)).first->second;
}

bool OutlineIndex::abbreviates(int item, const std::vector<QStringView>& b) const
{
    // The abbreviation test over the title's stored words: a title cursor from
    // each end, the pattern words taken greedily from the front and the back.
    const QStringList& a = m_titleWords[std::size_t(item)];
    qsizetype i = 0;
    qsizetype j = a.size() - 1;
    qsizetype p = 0;
    qsizetype q = qsizetype(b.size()) - 1;
    if (q < p)
        return true;
    for (;;) {
        if (j - i < q - p)
            return false;
        const bool front = containsWord(a[i], b[std::size_t(p)]);
        const bool back = containsWord(a[j], b[std::size_t(q)]);
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

int OutlineIndex::componentId(const QString& component) const
{
    const auto found = m_componentIds.find(component);
    if (found != m_componentIds.end())
        return found->second;
    const int id = int(m_componentSets.size());
    m_componentIds.emplace(component, id);

    const detail::LowerCased lower(component);
    detail::WordViews views;
    detail::splitWords(lower.view(), views);
    const std::vector<QStringView> pattern(views.begin(), views.end());
    // An empty pattern word is contained nowhere, so such a component matches no title.
    if (std::any_of(pattern.begin(), pattern.end(), [](QStringView w) { return w.isEmpty(); })) {
        m_componentSets.push_back(&m_ownedSets.emplace_back());
        return id;
    }
    // A single word abbreviates a title exactly when some title word contains
    // it (the cursors then meet every word): that is its posting.
    if (pattern.size() == 1) {
        m_componentSets.push_back(&posting(pattern.front()));
        return id;
    }
    // Each pattern word must lie inside some title word: intersect the
    // postings, smallest first, then run the full test on what is left.
    std::vector<const Positions*> postings;
    for (QStringView word : pattern)
        postings.push_back(&posting(word));
    std::sort(
        postings.begin(), postings.end(), [](const Positions* x, const Positions* y) { return x->size() < y->size(); });
    Positions candidates = *postings.front();
    for (std::size_t n = 1; n < postings.size() && !candidates.empty(); ++n) {
        const Positions& next = *postings[n];
        auto kept = candidates.begin();
        for (int item : candidates)
            if (inSet(next, item))
                *kept++ = item;
        candidates.erase(kept, candidates.end());
    }
    Positions& set = m_ownedSets.emplace_back();
    for (int item : candidates)
        if (abbreviates(item, pattern))
            set.push_back(item);
    m_componentSets.push_back(&set);
    return id;
}

OutlineIndex::Components OutlineIndex::componentsOfPath(QStringView path) const
{
    Components components;
    for (QStringView piece : path.split(u'/', Qt::SkipEmptyParts))
        components.push_back(componentId(piece.toString()));
    return components;
}

std::vector<int> OutlineIndex::matches(const Components& components, std::size_t limit) const
{
    const int k = int(components.size());
    std::vector<int> found;
    if (k == 0 || limit == 0)
        return found;
    std::vector<const Positions*> sets;
    sets.reserve(components.size());
    for (int component : components) {
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

int OutlineIndex::onlyMatch(const Components& components) const
{
    const std::vector<int> found = matches(components, 2);
    return found.size() == 1 ? found.front() : -1;
}

int OutlineIndex::prependComponent(int node, int component) const
{
    const std::uint64_t key = (std::uint64_t(std::uint32_t(node + 1)) << 32) | std::uint32_t(component);
    const auto [it, isNew] = m_pathNodes.try_emplace(key, int(m_pathOnly.size()));
    if (isNew)
        m_pathOnly.push_back(-2);
    return it->second;
}

int OutlineIndex::onlyMatchOfPath(int node, const Components& components) const
{
    if (node < 0)
        return -1;
    int& only = m_pathOnly[std::size_t(node)];
    if (only == -2)
        only = onlyMatch(components);
    return only;
}

} // namespace tolvo
