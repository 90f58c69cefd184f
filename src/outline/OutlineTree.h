// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A document's table of contents: the outline items, their height buckets, and
// the matching of title paths against them.

#include "outline/MyOutlineItem.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace tolvo {

class OutlineNode;
class OutlineIndex;

/// The outline of one document, complete and unchanging once made: owns the
/// top-level items, keeps the height buckets, answers title-path matches and
/// chooses the short link path of each item.
///
/// What the tree never changes (the words of each title, which titles a
/// pattern word occurs in, which titles a component abbreviates) is indexed on
/// first use and kept, so that making the links of a whole outline stays fast.
/// The index is filled from const member functions: use a tree from one thread
/// at a time.
class OutlineTree {
public:
    using Items = std::vector<const MyOutlineItem*>;

    /// An empty outline: no items, three empty buckets.
    OutlineTree();
    /// Takes the top-level items, in outline order, then computes myDepth and the buckets.
    explicit OutlineTree(std::vector<std::unique_ptr<MyOutlineItem>> topLevelItems);
    /// Builds the tree from the children of a source outline's root (nothing: an empty tree).
    static OutlineTree fromOutlineRoot(const OutlineNode* root);

    OutlineTree(OutlineTree&&) noexcept;
    OutlineTree& operator=(OutlineTree&&) noexcept;
    ~OutlineTree();

    /// The top-level items, in outline order.
    const Items& outlinedata_array() const { return m_topLevelItems; }
    /// Bucket h holds, in pre-order, every item whose myDepth is h; there are
    /// M + 2 buckets for the largest height M (at least 1), the first and last empty.
    const std::vector<Items>& moiDepthArray() const { return m_moiDepthArray; }

    /// Every item, in pre-order.
    const Items& items() const { return m_items; }
    bool isEmpty() const { return m_items.empty(); }
    /// Whether the item belongs to this tree (identity).
    bool contains(const MyOutlineItem* item) const;
    /// The item's pre-order position, or -1 when it is not in this tree.
    int indexOf(const MyOutlineItem* item) const { return contains(item) ? item->m_index : -1; }
    /// 1 for a top-level item, one more per ancestor; 0 when not in this tree.
    int levelOf(const MyOutlineItem* item) const;
    /// The rows from the top level down to the item; nothing when it is not in this tree.
    std::optional<QList<int>> indexPathForMOI(const MyOutlineItem* item) const;

    /// The items that a title path matches, in match order: starting items of
    /// smaller height first, then earlier in pre-order, then earlier below one
    /// starting item. Empty "/"-pieces are ignored; nothing when nothing matches.
    std::optional<Items> moiMatchingURLSuffix(const QString& path) const;
    /// The same for a path already cut into components (empty ones are ignored).
    std::optional<Items> moiMatchingURLSuffix(const QStringList& components) const;
    /// Whether the path has exactly one match and it is the given item, and is
    /// not itself a page label (a link with it would go to that page).
    bool moiMatchingURLSuffix(const QString& path, const MyOutlineItem* onlyMatches) const;

    /// The labels of the document's pages. A target that is exactly a page label
    /// names that page, so no link path of an item may be one.
    void setPageLabels(const QStringList& labels);
    /// Whether the text is exactly the label of a page.
    bool isPageLabel(const QString& text) const { return m_pageLabels.contains(text); }

    /// The link path of an item: the shortest title path that names it alone
    /// (and is no page label), shortened towards five-character words while it
    /// still does; else the item's extended page label (which ends with "/").
    QString makeShortURLForMOI(const MyOutlineItem* item) const;

private:
    struct ItemFacts {
        int level = 0; ///< 1 for top-level items
        int subtreeEnd = 0; ///< one past the last pre-order position of the subtree
    };

    void tagEachMOIWithDepth();
    void prepareMOIDepthArray();
    OutlineIndex& index() const;

    std::vector<std::unique_ptr<MyOutlineItem>> m_topLevel;
    Items m_topLevelItems;
    Items m_items;
    std::vector<ItemFacts> m_facts;
    std::vector<Items> m_moiDepthArray;
    mutable std::unique_ptr<OutlineIndex> m_index;
    QSet<QString> m_pageLabels;
};

} // namespace tolvo
