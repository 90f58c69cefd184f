// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/TLNSOutlineView.h"

#include <QDrag>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>

#include <algorithm>

namespace tolvo {

TLNSOutlineView::TLNSOutlineView(QWidget* parent)
    : QTreeView(parent)
{
}

void TLNSOutlineView::copy()
{
    emit copyRequested();
}

bool TLNSOutlineView::event(QEvent* event)
{
    // Copy belongs to the view while it has the focus, not to a window shortcut.
    if (event->type() == QEvent::ShortcutOverride && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        event->accept();
        return true;
    }
    return QTreeView::event(event);
}

void TLNSOutlineView::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        copy();
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

QModelIndexList TLNSOutlineView::selectedRowsInViewOrder() const
{
    QModelIndexList rows = selectionModel() ? selectionModel()->selectedRows(0) : QModelIndexList();
    // A row above another in the view comes first; rows of collapsed branches keep the outline's order.
    const auto key = [this](const QModelIndex& index) {
        QList<int> path;
        for (QModelIndex at = index; at.isValid(); at = at.parent())
            path.prepend(at.row());
        return path;
    };
    std::sort(rows.begin(), rows.end(), [&](const QModelIndex& a, const QModelIndex& b) { return key(a) < key(b); });
    return rows;
}

void TLNSOutlineView::startDrag(Qt::DropActions supportedActions)
{
    if (!m_dragDataSource) {
        QTreeView::startDrag(supportedActions);
        return;
    }
    const QModelIndexList rows = selectedRowsInViewOrder();
    std::unique_ptr<QMimeData> mime = rows.isEmpty() ? nullptr : m_dragDataSource(rows);
    if (!mime)
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(mime.release());
    // The image: the dragged rows as they are on screen.
    QRect area;
    for (const QModelIndex& row : rows)
        area |= visualRect(row) | visualRect(row.siblingAtColumn(model()->columnCount(row.parent()) - 1));
    area &= viewport()->rect();
    if (!area.isEmpty()) {
        drag->setPixmap(viewport()->grab(area));
        drag->setHotSpot(viewport()->mapFromGlobal(QCursor::pos()) - area.topLeft());
    }
    drag->exec(Qt::CopyAction, Qt::CopyAction);
}

} // namespace tolvo
