// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The TOC outline view: a tree view that hands Copy to its owner, and its
// drags to a data source.

#include <QTreeView>

#include <functional>
#include <memory>

class QMimeData;

namespace tolvo {

/// QTreeView whose Copy command emits copyRequested() in place of copying the current cell, so
/// Copy does nothing unless the owner connects it. A drag of rows carries what the drag data
/// source writes for them.
class TLNSOutlineView : public QTreeView {
    Q_OBJECT
public:
    /// What a drag of the rows (column 0, in row order) carries; nothing starts no drag.
    using DragDataSource = std::function<std::unique_ptr<QMimeData>(const QModelIndexList& rows)>;

    explicit TLNSOutlineView(QWidget* parent = nullptr);

    /// Without a source the view drags as a QTreeView does.
    void setDragDataSource(DragDataSource source) { m_dragDataSource = std::move(source); }
    /// The selected rows, column 0, in the order the view shows them.
    QModelIndexList selectedRowsInViewOrder() const;

public slots:
    void copy();

signals:
    /// Copy was chosen while the view had the focus.
    void copyRequested();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    /// Asks the drag data source and drags a copy of its data, with the rows as the image.
    void startDrag(Qt::DropActions supportedActions) override;

private:
    DragDataSource m_dragDataSource;
};

} // namespace tolvo
