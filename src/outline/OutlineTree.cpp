// SPDX-License-Identifier: GPL-3.0-or-later
// Building the outline tree, its heights and its height buckets.
#include "outline/OutlineTree.h"

#include "links/LinkGrammar.h"
#include "outline/OutlineIndex.h"
#include "outline/OutlineNode.h"

#include <algorithm>
#include <utility>

namespace tolvo {

namespace {

// Fills an item from a source node: the extended page label of its destination
// and its title. An entry that leads nowhere keeps no page label and the zero point.
void fillFromNode(MyOutlineItem& item, const OutlineNode& node)
{
    const std::optional<OutlineNodeDestination> destination = node.destination();
    const QString title = node.label();
    item.setPageLabel(destination ? extendedPageLabel(destination->pageLabel, destination->point)
                                  : extendedPageLabel(QString(), QPointF()));
    item.setPageTitle(title);
}

} // namespace

OutlineTree::OutlineTree()
    : OutlineTree(std::vector<std::unique_ptr<MyOutlineItem>>())
{
}

OutlineTree::OutlineTree(std::vector<std::unique_ptr<MyOutlineItem>> topLevelItems)
    : m_topLevel(std::move(topLevelItems))
{
    for (std::size_t row = 0; row < m_topLevel.size(); ++row) {
        m_topLevel[row]->m_parent = nullptr;
        m_topLevel[row]->m_row = int(row);
        m_topLevelItems.push_back(m_topLevel[row].get());
    }

    // Pre-order positions and levels, with an explicit stack.
    std::vector<std::pair<MyOutlineItem*, int>> stack;
    for (auto it = m_topLevel.rbegin(); it != m_topLevel.rend(); ++it)
        stack.emplace_back(it->get(), 1);
    while (!stack.empty()) {
        const auto [item, level] = stack.back();
        stack.pop_back();
        item->m_index = int(m_items.size());
        m_items.push_back(item);
        m_facts.push_back({ level, 0 });
        for (auto it = item->m_children.rbegin(); it != item->m_children.rend(); ++it)
            stack.emplace_back(it->get(), level + 1);
    }
    // A subtree ends where the next item at its level or above begins.
    for (int i = int(m_items.size()) - 1; i >= 0; --i) {
        const MyOutlineItem* item = m_items[std::size_t(i)];
        m_facts[std::size_t(i)].subtreeEnd
            = item->m_children.empty() ? i + 1 : m_facts[std::size_t(item->m_children.back()->m_index)].subtreeEnd;
    }

    tagEachMOIWithDepth();
    prepareMOIDepthArray();
}

OutlineTree OutlineTree::fromOutlineRoot(const OutlineNode* root)
{
    std::vector<std::unique_ptr<MyOutlineItem>> topLevel;
    if (!root)
        return OutlineTree();
    // Each item is filled from its node, then its children are made and queued:
    // breadth first, so no call nests per level.
    std::vector<std::pair<std::unique_ptr<OutlineNode>, MyOutlineItem*>> queue;
    for (int i = 0; i < root->numberOfChildren(); ++i) {
        auto item = std::make_unique<MyOutlineItem>();
        queue.emplace_back(root->childAtIndex(i), item.get());
        topLevel.push_back(std::move(item));
    }
    for (std::size_t next = 0; next < queue.size(); ++next) {
        std::unique_ptr<OutlineNode> node = std::move(queue[next].first);
        MyOutlineItem* item = queue[next].second;
        if (!node)
            continue;
        fillFromNode(*item, *node);
        for (int i = 0; i < node->numberOfChildren(); ++i) {
            MyOutlineItem* child = item->appendChild(std::make_unique<MyOutlineItem>());
            queue.emplace_back(node->childAtIndex(i), child);
        }
    }
    return OutlineTree(std::move(topLevel));
}

OutlineTree::OutlineTree(OutlineTree&&) noexcept = default;
OutlineTree& OutlineTree::operator=(OutlineTree&&) noexcept = default;
OutlineTree::~OutlineTree() = default;

void OutlineTree::tagEachMOIWithDepth()
{
    // One more than the tallest child, children first: the value the leaf-by-leaf
    // updateDepthForChildDepth walk ends with, reached without walking every
    // leaf's path to the top.
    for (auto it = m_items.rbegin(); it != m_items.rend(); ++it) {
        MyOutlineItem* item = const_cast<MyOutlineItem*>(*it);
        quint64 depth = 1;
        for (const auto& child : item->m_children)
            depth = std::max(depth, child->m_myDepth + 1);
        item->m_myDepth = depth;
    }
}

void OutlineTree::prepareMOIDepthArray()
{
    quint64 largest = 1;
    for (const auto& item : m_topLevel)
        largest = std::max(largest, item->m_myDepth);
    m_moiDepthArray.assign(std::size_t(largest) + 2, Items());
    for (const MyOutlineItem* item : m_items)
        m_moiDepthArray[std::size_t(item->m_myDepth)].push_back(item);
}

bool OutlineTree::contains(const MyOutlineItem* item) const
{
    return item && item->m_index >= 0 && item->m_index < int(m_items.size())
        && m_items[std::size_t(item->m_index)] == item;
}

int OutlineTree::levelOf(const MyOutlineItem* item) const
{
    return contains(item) ? m_facts[std::size_t(item->m_index)].level : 0;
}

std::optional<QList<int>> OutlineTree::indexPathForMOI(const MyOutlineItem* item) const
{
    if (!contains(item))
        return std::nullopt;
    QList<int> rows;
    for (const MyOutlineItem* at = item; at; at = at->m_parent)
        rows.prepend(at->m_row);
    return rows;
}

OutlineIndex& OutlineTree::index() const
{
    if (!m_index) {
        std::vector<OutlineIndex::Shape> shape;
        std::vector<QString> titles;
        shape.reserve(m_items.size());
        titles.reserve(m_items.size());
        for (std::size_t i = 0; i < m_items.size(); ++i) {
            const MyOutlineItem* item = m_items[i];
            shape.push_back({ item->m_parent ? item->m_parent->m_index : -1, m_facts[i].level, m_facts[i].subtreeEnd,
                item->m_myDepth });
            titles.push_back(item->m_pageTitle);
        }
        m_index = std::make_unique<OutlineIndex>(std::move(shape), titles);
    }
    return *m_index;
}

} // namespace tolvo
