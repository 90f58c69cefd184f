// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The reference behaviour of title-path matching and short link paths, written
// the plain way: heights by walking each leaf's path to the top, matching by
// testing every starting item of enough height, uniqueness by a full match,
// nothing cached. Slow on purpose; the fast tree is checked against it.

#include "links/PathStrings.h"
#include "outline/MyOutlineItem.h"
#include "outline/OutlineTree.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace tolvo::oracle {

using Items = std::vector<const MyOutlineItem*>;

/// Where the reference reading of a target leads: a page, an outline item, or elsewhere
/// (a location, a page by the first piece of a location, or nothing).
struct Landing {
    int page = -1;
    const MyOutlineItem* item = nullptr;
    bool operator==(const Landing&) const = default;
};

class Oracle {
public:
    /// pageLabels: the labels of the document's pages, in page order.
    explicit Oracle(const OutlineTree& tree, const QStringList& pageLabels = {})
        : m_pageLabels(pageLabels)
    {
        for (const MyOutlineItem* item : tree.outlinedata_array())
            processEachMOIForDepth(item);
        quint64 largest = 1;
        for (const MyOutlineItem* item : tree.outlinedata_array())
            largest = std::max(largest, height(item));
        m_buckets.assign(std::size_t(largest) + 2, Items());
        for (const MyOutlineItem* item : tree.outlinedata_array())
            processEachMOIForDepthArray(item);
    }

    quint64 height(const MyOutlineItem* item) const { return m_heights.value(item, 1); }
    const std::vector<Items>& buckets() const { return m_buckets; }

    static std::optional<QString> longSuffixUpToParent(const MyOutlineItem* item, quint64 n)
    {
        const QString own = longestDotSeparatedCombo(item->pageTitle());
        if (n == 0)
            return own;
        if (!item->parent())
            return std::nullopt;
        const std::optional<QString> up = longSuffixUpToParent(item->parent(), n - 1);
        if (!up)
            return std::nullopt;
        return *up + QLatin1Char('/') + own;
    }

    static std::optional<Items> matchesForURLSuffixArray(const MyOutlineItem* item, const QStringList& c)
    {
        if (c.isEmpty())
            return std::nullopt;
        if (!hasDotEquivalent(item->pageTitle(), c.first()))
            return std::nullopt;
        if (c.size() == 1)
            return Items { item };
        Items list;
        for (const MyOutlineItem* child : item->children())
            if (const std::optional<Items> below = matchesForURLSuffixArray(child, c.mid(1)))
                list.insert(list.end(), below->begin(), below->end());
        if (list.empty())
            return std::nullopt;
        return list;
    }

    std::optional<Items> moiMatchingURLSuffix(const QString& path) const
    {
        const QStringList components = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
        const std::size_t k = std::size_t(components.size());
        if (k == 0 || k >= m_buckets.size())
            return std::nullopt;
        Items list;
        for (std::size_t h = k; h < m_buckets.size(); ++h)
            for (const MyOutlineItem* item : m_buckets[h])
                if (const std::optional<Items> found = matchesForURLSuffixArray(item, components))
                    for (const MyOutlineItem* match : *found)
                        if (std::find(list.begin(), list.end(), match) == list.end())
                            list.push_back(match);
        if (list.empty())
            return std::nullopt;
        return list;
    }

    bool onlyMatches(const QString& path, const MyOutlineItem* item) const
    {
        if (m_pageLabels.contains(path))
            return false;
        const std::optional<Items> list = moiMatchingURLSuffix(path);
        return list && list->size() == 1 && list->front() == item;
    }

    /// A target that, less one trailing "/", is exactly a page's label goes to the first page
    /// with it; else the first item that it matches as a title path; else elsewhere.
    Landing follow(const QString& target) const
    {
        QString label = target;
        if (label.endsWith(QLatin1Char('/')))
            label.chop(1);
        if (!label.contains(QLatin1String("@loc")) && m_pageLabels.contains(label))
            return Landing { int(m_pageLabels.indexOf(label)), nullptr };
        if (const std::optional<Items> list = moiMatchingURLSuffix(target))
            return Landing { -1, list->front() };
        return Landing {};
    }

    QString makeShortURLForMOI(const MyOutlineItem* item) const
    {
        QString shortest;
        for (quint64 n = 0;; ++n) {
            const std::optional<QString> path = longSuffixUpToParent(item, n);
            if (!path)
                return item->pageLabel();
            if (onlyMatches(*path, item)) {
                shortest = *path;
                break;
            }
        }
        const QStringList variants = miniComponentsSeparatedByString(shortest, QStringLiteral("/"));
        qsizetype best = 0;
        double bestScore = 0;
        for (qsizetype k = 0; k < variants.size(); ++k) {
            QString cut = variants[k];
            cut.replace(QLatin1Char('.'), QLatin1Char('/'));
            const QStringList pieces = cut.split(QLatin1Char('/'), Qt::KeepEmptyParts);
            double sum = 0;
            for (const QString& piece : pieces)
                sum += std::abs(double(piece.size()) - 5.0);
            const double score = sum / double(pieces.size());
            if (k == 0 || score < bestScore) {
                best = k;
                bestScore = score;
            }
        }
        if (best == 0)
            return shortest;
        for (qsizetype k = best; k >= 1; --k)
            if (onlyMatches(variants[k], item))
                return variants[k];
        return shortest;
    }

private:
    void processEachMOIForDepth(const MyOutlineItem* item)
    {
        if (item->children().empty()) {
            m_heights[item] = 1;
            if (item->parent())
                updateDepthForChildDepth(item->parent(), 1);
            return;
        }
        for (const MyOutlineItem* child : item->children())
            processEachMOIForDepth(child);
    }

    void updateDepthForChildDepth(const MyOutlineItem* item, quint64 childDepth)
    {
        if (height(item) < childDepth + 1)
            m_heights[item] = childDepth + 1;
        if (item->parent())
            updateDepthForChildDepth(item->parent(), height(item));
    }

    void processEachMOIForDepthArray(const MyOutlineItem* item)
    {
        m_buckets[std::size_t(height(item))].push_back(item);
        for (const MyOutlineItem* child : item->children())
            processEachMOIForDepthArray(child);
    }

    QStringList m_pageLabels;
    QHash<const MyOutlineItem*, quint64> m_heights;
    std::vector<Items> m_buckets;
};

} // namespace tolvo::oracle
