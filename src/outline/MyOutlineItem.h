// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One entry of a PDF's table of contents, as Tolvo keeps it.

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

namespace tolvo {

class OutlineTree;

/// One node of the outline tree: a title, the extended page label of its
/// destination, and the children it owns. Items are compared by identity.
///
/// Every walk over items (destruction included) uses an explicit stack, so
/// outlines thousands of levels deep cannot exhaust the call stack.
class MyOutlineItem {
public:
    /// A new item: titled "Untitled", labelled "1", no children, myDepth 1.
    MyOutlineItem();
    MyOutlineItem(QString pageTitle, QString pageLabel);
    ~MyOutlineItem();
    MyOutlineItem(const MyOutlineItem&) = delete;
    MyOutlineItem& operator=(const MyOutlineItem&) = delete;

    /// The title as the PDF gives it.
    const QString& pageTitle() const { return m_pageTitle; }
    void setPageTitle(const QString& title) { m_pageTitle = title; }

    /// "label/@loc/Xx/Yy/": where the entry leads. Always ends with "/".
    const QString& pageLabel() const { return m_pageLabel; }
    void setPageLabel(const QString& label) { m_pageLabel = label; }

    /// The children in order, read-only: an item reached through a const
    /// pointer (as every item of an OutlineTree is) cannot be changed below it either.
    class Children {
    public:
        using Owned = std::vector<std::unique_ptr<MyOutlineItem>>;
        class iterator {
        public:
            explicit iterator(Owned::const_iterator at)
                : m_at(at)
            {
            }
            const MyOutlineItem* operator*() const { return m_at->get(); }
            iterator& operator++()
            {
                ++m_at;
                return *this;
            }
            bool operator==(const iterator& other) const { return m_at == other.m_at; }

        private:
            Owned::const_iterator m_at;
        };
        explicit Children(const Owned& owned)
            : m_owned(&owned)
        {
        }
        iterator begin() const { return iterator(m_owned->begin()); }
        iterator end() const { return iterator(m_owned->end()); }
        std::size_t size() const { return m_owned->size(); }
        bool empty() const { return m_owned->empty(); }
        const MyOutlineItem* operator[](std::size_t i) const { return (*m_owned)[i].get(); }
        const MyOutlineItem* back() const { return m_owned->back().get(); }

    private:
        const Owned* m_owned;
    };
    Children children() const { return Children(m_children); }
    /// Takes the child, makes this item its parent and returns it.
    MyOutlineItem* appendChild(std::unique_ptr<MyOutlineItem> child);

    /// The enclosing item, not owned; nothing for a top-level item.
    const MyOutlineItem* parent() const { return m_parent; }
    /// The position among the parent's children (or among the top-level items).
    int row() const { return m_row; }

    /// The number of levels in this item's subtree, itself included (a leaf has 1).
    quint64 myDepth() const { return m_myDepth; }

    /// Raises myDepth to at least childDepth + 1, then passes the own myDepth on
    /// to the parent, and so on up to the top.
    void updateDepthForChildDepth(quint64 childDepth);

    /// "pg[label] title [children n]", for log lines.
    QString description() const;

    /// The title path of the item and its n nearest ancestors ("a/b/c"), each
    /// title in its dotted form; nothing when the item has fewer than n ancestors.
    std::optional<QString> longSuffixUpToParent(quint64 n) const;

    /// The items exactly k - 1 levels below this one that the k components
    /// reach, the first component matched against this item's own title, in
    /// pre-order; nothing when none. Reads titles afresh on every call; the
    /// tree's own matching (OutlineTree) is the fast way over a whole outline.
    std::optional<std::vector<const MyOutlineItem*>> matchesForURLSuffixArray(const QStringList& components) const;

    /// The OPML element of this item and all its descendants, indented by level
    /// tabs. Style 0: text, type and url; 1: text and tolvo; 2: the link inside
    /// the text. Any other style writes style 0.
    QString OPMLreadyWithPrefix(const QString& prefix, quint64 level, quint64 style) const;

private:
    friend class OutlineTree;

    QString m_pageTitle;
    QString m_pageLabel;
    std::vector<std::unique_ptr<MyOutlineItem>> m_children;
    quint64 m_myDepth = 1;
    MyOutlineItem* m_parent = nullptr;
    int m_row = 0;
    int m_index = -1; ///< pre-order position in the owning tree, set by OutlineTree
};

} // namespace tolvo
