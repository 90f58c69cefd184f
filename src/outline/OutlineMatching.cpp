// SPDX-License-Identifier: GPL-3.0-or-later
// Title-path matching over the tree, and the choice of an item's short link path.
#include "outline/OutlineIndex.h"
#include "outline/OutlineTree.h"
#include "outline/PathVariants.h"

namespace tolvo {

std::optional<OutlineTree::Items> OutlineTree::moiMatchingURLSuffix(const QStringList& given) const
{
    if (m_items.empty())
        return std::nullopt;
    const OutlineIndex& idx = index();
    OutlineIndex::Components components;
    for (const QString& c : given)
        if (!c.isEmpty())
            components.push_back(idx.componentId(c));
    const std::vector<int> found = idx.matches(components);
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
    return moiMatchingURLSuffix(path.split(u'/', Qt::SkipEmptyParts));
}

bool OutlineTree::moiMatchingURLSuffix(const QString& path, const MyOutlineItem* onlyMatches) const
{
    if (!contains(onlyMatches) || isPageLabel(path))
        return false;
    const OutlineIndex& idx = index();
    return idx.onlyMatch(idx.componentsOfPath(path)) == onlyMatches->m_index;
}

void OutlineTree::setPageLabels(const QStringList& labels)
{
    m_pageLabels = QSet<QString>(labels.cbegin(), labels.cend());
}

QString OutlineTree::makeShortURLForMOI(const MyOutlineItem* item) const
{
    // An item of another tree is the only match of no path here.
    if (!contains(item))
        return item ? item->m_pageLabel : QString();
    const OutlineIndex& idx = index();

    // The shortest path of ancestor titles that names the item alone and is
    // no page label (a link with it would land on that page). Items
    // with the same titles above them share these paths, so each path's only
    // match is kept with it.
    QString path;
    OutlineIndex::Components components;
    int node = -1;
    bool unique = false;
    for (const MyOutlineItem* at = item; at; at = at->m_parent) {
        const QString& dotted = idx.dottedTitle(at->m_index);
        path = at == item ? dotted : dotted + u'/' + path;
        if (!dotted.isEmpty()) {
            const int component = idx.componentId(dotted);
            components.insert(components.begin(), component);
            node = idx.prependComponent(node, component);
        }
        if (!isPageLabel(path) && idx.onlyMatchOfPath(node, components) == item->m_index) {
            unique = true;
            break;
        }
    }
    if (!unique)
        return item->m_pageLabel;

    // Among its shortened variants, the one with words nearest five characters
    // that still names the item alone; ties keep the earlier, longer variant.
    const PathVariants variants(path);
    int best = 0;
    double bestScore = 0;
    for (int v = 0; v < variants.count(); ++v) {
        const double score = variants.score(v);
        if (v == 0 || score < bestScore) {
            best = v;
            bestScore = score;
        }
    }
    for (int v = best; v >= 1; --v) {
        OutlineIndex::Components ids;
        for (const QString& c : variants.components(v))
            ids.push_back(idx.componentId(c));
        if (idx.onlyMatch(ids) == item->m_index && !isPageLabel(variants.text(v)))
            return variants.text(v);
    }
    return path;
}

} // namespace tolvo
