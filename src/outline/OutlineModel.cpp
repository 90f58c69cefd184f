// SPDX-License-Identifier: GPL-3.0-or-later
// The outline as an item model.
#include "outline/OutlineModel.h"

#include "links/LinkGrammar.h"
#include "outline/MyOutlineItem.h"
#include "outline/OutlineTree.h"

namespace tolvo {

OutlineModel::OutlineModel(const OutlineTree& tree, QObject* parent)
    : QAbstractItemModel(parent)
    , m_tree(tree)
{
}

const MyOutlineItem* OutlineModel::itemForIndex(const QModelIndex& index)
{
    return index.isValid() ? static_cast<const MyOutlineItem*>(index.constInternalPointer()) : nullptr;
}

QModelIndex OutlineModel::indexPathForMOI(const MyOutlineItem* item) const
{
    if (!m_tree.contains(item))
        return QModelIndex();
    return createIndex(item->row(), TitleColumn, item);
}

QModelIndex OutlineModel::index(int row, int column, const QModelIndex& parent) const
{
    if (row < 0 || column < 0 || column >= ColumnCount || (parent.isValid() && parent.model() != this))
        return QModelIndex();
    if (const MyOutlineItem* up = itemForIndex(parent)) {
        const auto children = up->children();
        return std::size_t(row) < children.size() ? createIndex(row, column, children[std::size_t(row)])
                                                  : QModelIndex();
    }
    const auto& top = m_tree.outlinedata_array();
    return std::size_t(row) < top.size() ? createIndex(row, column, top[std::size_t(row)]) : QModelIndex();
}

QModelIndex OutlineModel::parent(const QModelIndex& child) const
{
    const MyOutlineItem* item = itemForIndex(child);
    if (!item || !item->parent())
        return QModelIndex();
    return createIndex(item->parent()->row(), TitleColumn, item->parent());
}

int OutlineModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() && parent.column() != TitleColumn)
        return 0;
    if (const MyOutlineItem* item = itemForIndex(parent))
        return int(item->children().size());
    return int(m_tree.outlinedata_array().size());
}

int OutlineModel::columnCount(const QModelIndex&) const
{
    return ColumnCount;
}

QVariant OutlineModel::data(const QModelIndex& index, int role) const
{
    const MyOutlineItem* item = itemForIndex(index);
    if (!item)
        return QVariant();
    if (role == ExtendedPageLabelRole)
        return item->pageLabel();
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return QVariant();
    if (index.column() == PageLabelColumn)
        return PageLabelFromExtendedPageLabel(item->pageLabel()).value_or(QString());
    return item->pageTitle();
}

QVariant OutlineModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    switch (section) {
    case TitleColumn:
        return tr("Title");
    case PageLabelColumn:
        return tr("Page");
    default:
        return QVariant();
    }
}

Qt::ItemFlags OutlineModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
}

} // namespace tolvo
