// SPDX-License-Identifier: GPL-3.0-or-later
// One entry of the table of contents.
#include "outline/MyOutlineItem.h"

#include "links/PathStrings.h"

#include <utility>

namespace tolvo {

MyOutlineItem::MyOutlineItem()
    : MyOutlineItem(QStringLiteral("Untitled"), QStringLiteral("1"))
{
}

MyOutlineItem::MyOutlineItem(QString pageTitle, QString pageLabel)
    : m_pageTitle(std::move(pageTitle))
    , m_pageLabel(std::move(pageLabel))
{
}

MyOutlineItem::~MyOutlineItem()
{
    // Take the descendants apart one by one: letting each unique_ptr destroy its
    // own children would nest one destructor call per level.
    std::vector<std::unique_ptr<MyOutlineItem>> pending = std::move(m_children);
    while (!pending.empty()) {
        std::unique_ptr<MyOutlineItem> item = std::move(pending.back());
        pending.pop_back();
        for (auto& child : item->m_children)
            pending.push_back(std::move(child));
        item->m_children.clear();
    }
}

MyOutlineItem* MyOutlineItem::appendChild(std::unique_ptr<MyOutlineItem> child)
{
    child->m_parent = this;
    child->m_row = int(m_children.size());
    m_children.push_back(std::move(child));
    return m_children.back().get();
}

void MyOutlineItem::updateDepthForChildDepth(quint64 childDepth)
{
    for (MyOutlineItem* item = this; item; item = item->m_parent) {
        if (item->m_myDepth < childDepth + 1)
            item->m_myDepth = childDepth + 1;
        childDepth = item->m_myDepth;
    }
}

QString MyOutlineItem::description() const
{
    return QStringLiteral("pg[%1] %2 [children %3]").arg(m_pageLabel, m_pageTitle, QString::number(m_children.size()));
}

std::optional<QString> MyOutlineItem::longSuffixUpToParent(quint64 n) const
{
    std::vector<const MyOutlineItem*> chain { this };
    for (quint64 i = 0; i < n; ++i) {
        const MyOutlineItem* up = chain.back()->m_parent;
        if (!up)
            return std::nullopt;
        chain.push_back(up);
    }
    QString path;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (it != chain.rbegin())
            path += u'/';
        path += longestDotSeparatedCombo((*it)->m_pageTitle);
    }
    return path;
}

std::optional<std::vector<const MyOutlineItem*>> MyOutlineItem::matchesForURLSuffixArray(
    const QStringList& components) const
{
    if (components.isEmpty())
        return std::nullopt;
    const qsizetype last = components.size() - 1;
    std::vector<const MyOutlineItem*> matches;
    // Depth-first, children in order: (item, index of the component it must match).
    std::vector<std::pair<const MyOutlineItem*, qsizetype>> stack { { this, 0 } };
    while (!stack.empty()) {
        const auto [item, c] = stack.back();
        stack.pop_back();
        if (!hasDotEquivalent(item->m_pageTitle, components[c]))
            continue;
        if (c == last) {
            matches.push_back(item);
            continue;
        }
        for (auto it = item->m_children.rbegin(); it != item->m_children.rend(); ++it)
            stack.emplace_back(it->get(), c + 1);
    }
    if (matches.empty())
        return std::nullopt;
    return matches;
}

} // namespace tolvo
