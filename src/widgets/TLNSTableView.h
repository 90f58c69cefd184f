// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A table view that hands Copy and Paste to its owner, and its drags to a
// data source.

#include <QTableView>

#include <functional>
#include <memory>

class QMimeData;

namespace tolvo {

/// QTableView whose Copy and Paste commands emit copyRequested() and pasteRequested() in place of
/// the view's own, so each does nothing unless the owner connects it. With a drag data source,
/// pressing on a selected row and moving drags what the source writes for the selection.
class TLNSTableView : public QTableView {
    Q_OBJECT
public:
    /// What a drag of the selected rows (column 0, in row order) carries; nothing starts no drag.
    using DragDataSource = std::function<std::unique_ptr<QMimeData>(const QModelIndexList& rows)>;

    explicit TLNSTableView(QWidget* parent = nullptr);

    void setDragDataSource(DragDataSource source) { m_dragDataSource = std::move(source); }
    /// The selected rows, column 0, in row order.
    QModelIndexList selectedRowsInOrder() const;

public slots:
    void copy();
    void paste();

signals:
    /// Copy was chosen while the view had the focus.
    void copyRequested();
    /// Paste was chosen while the view had the focus.
    void pasteRequested();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    DragDataSource m_dragDataSource;
    QPoint m_dragStart;
    bool m_mayDrag = false;
};

} // namespace tolvo
