// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The item model that the document window's outline view shows.

#include <QAbstractItemModel>

namespace tolvo {

class MyOutlineItem;
class OutlineTree;

/// A read-only tree model over an OutlineTree: one row per item, children under
/// their parent. Column 0 is the title, column 1 the page label (the extended
/// page label shown through PageLabelFromExtendedPageLabel). The tree must
/// outlive the model.
class OutlineModel : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Column { TitleColumn = 0, PageLabelColumn = 1, ColumnCount = 2 };
    enum Role {
        /// The extended page label itself, as a QString.
        ExtendedPageLabelRole = Qt::UserRole + 1,
    };

    explicit OutlineModel(const OutlineTree& tree, QObject* parent = nullptr);

    const OutlineTree& tree() const { return m_tree; }

    /// The item that an index of this model shows; nothing for an invalid index.
    static const MyOutlineItem* itemForIndex(const QModelIndex& index);
    /// The index (column 0) of the row that shows the item; invalid when the item
    /// is not in this model's tree.
    QModelIndex indexPathForMOI(const MyOutlineItem* item) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    const OutlineTree& m_tree;
};

} // namespace tolvo
