// Title-path matching over the tree, and the choice of an item's short link path.
#include "links/PathStrings.h"
#include "outline/OutlineIndex.h"
#include "outline/OutlineTree.h"

#include <cstdlib>

namespace tolvo {

namespace {

QStringList componentsOf(const QString& path)
{
    return path.split(u'/', Qt::SkipEmptyParts);
}

// The mean distance of a path's words from five characters: cut at every "/"
// and ".", empty pieces counting as length 0.
double wordLengthScore(const QString& path)
{
    qint64 sum = 0;
    qint64 pieces = 1;
    qsizetype length = 0;
    for (QChar c : path) {
        if (c == u'/' || c == u'.') {
            sum += std::llabs(qint64(length) - 5);
            ++pieces;
            length = 0;
        } else {
            ++length;
        }
    }
    sum += std::llabs(qint64(length) - 5);
    return double(sum) / double(pieces);
}

} // namespace

std::optional<OutlineTree::Items> OutlineTree::moiMatchingURLSuffix(const QStringList& given) const
{
    QStringList components;
    for (const QString& c : given)
        if (!c.isEmpty())
            components.append(c);
    if (components.isEmpty() || m_items.empty())
        return std::nullopt;
    const std::vector<int> found = index().matches(components);
    if (found.empty())
        return std::nullopt;
    Items items;
    items.reserve(found.size());
    for (int i : found)
        items.push_back(m_items[std::size_t(i)]);
    return items;
}

std::optional<OutlineTree::Items> OutlineTree::moiMatchingURLSuffix(const QString& path) const
{
    return moiMatchingURLSuffix(componentsOf(path));
}

bool OutlineTree::moiMatchingURLSuffix(const QString& path, const MyOutlineItem* onlyMatches) const
{
    return isOnlyMatch(componentsOf(path), onlyMatches);
}

bool OutlineTree::isOnlyMatch(const QStringList& components, const MyOutlineItem* item) const
{
    if (components.isEmpty() || !contains(item))
        return false;
    const OutlineIndex& idx = index();
    if (!idx.isMatched(components, item->m_index))
        return false;
    // The item matches; any second match is enough to refute it.
    return idx.matches(components, 2).size() == 1;
}

QString OutlineTree::makeShortURLForMOI(const MyOutlineItem* item) const
{
    // An item of another tree is the only match of no path here.
    if (!contains(item))
        return item ? item->m_pageLabel : QString();
    const OutlineIndex& idx = index();

    // The shortest path of ancestor titles that names the item alone.
    QString shortest;
    QStringList components;
    QString path;
    bool unique = false;
    const MyOutlineItem* at = item;
    for (bool first = true; at; at = at->m_parent, first = false) {
        const QString& dotted = idx.dottedTitle(at->m_index);
        path = first ? dotted : dotted + u'/' + path;
        if (!dotted.isEmpty())
            components.prepend(dotted);
        if (isOnlyMatch(components, item)) {
            unique = true;
            break;
        }
    }
    if (!unique)
        return item->m_pageLabel;
    shortest = path;

    // Among its shortened variants, the one with words nearest five characters
    // that still names the item alone; ties keep the earlier, longer variant.
    const QStringList variants = miniComponentsSeparatedByString(shortest, QStringLiteral("/"));
    qsizetype best = 0;
    double bestScore = 0;
    for (qsizetype k = 0; k < variants.size(); ++k) {
        const double score = wordLengthScore(variants[k]);
        if (k == 0 || score < bestScore) {
            best = k;
            bestScore = score;
        }
    }
    for (qsizetype k = best; k >= 1; --k)
        if (isOnlyMatch(componentsOf(variants[k]), item))
            return variants[k];
    return shortest;
}

} // namespace tolvo
