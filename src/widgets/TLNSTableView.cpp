// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/TLNSTableView.h"

#include <QApplication>
#include <QDrag>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>

#include <algorithm>

namespace tolvo {

TLNSTableView::TLNSTableView(QWidget* parent)
    : QTableView(parent)
{
}

void TLNSTableView::copy()
{
    emit copyRequested();
}

void TLNSTableView::paste()
{
    emit pasteRequested();
}

bool TLNSTableView::event(QEvent* event)
{
    // Copy and Paste belong to the view while it has the focus, not to a window shortcut.
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Copy) || key->matches(QKeySequence::Paste)) {
            event->accept();
            return true;
        }
    }
    return QTableView::event(event);
}

void TLNSTableView::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        copy();
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        paste();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

QModelIndexList TLNSTableView::selectedRowsInOrder() const
{
    QModelIndexList rows = selectionModel() ? selectionModel()->selectedRows(0) : QModelIndexList();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    return rows;
}

void TLNSTableView::mousePressEvent(QMouseEvent* event)
{
    const QModelIndex at = indexAt(event->position().toPoint());
    // A press on a row already selected may begin a drag of the selection, as it does in a list.
    m_mayDrag = m_dragDataSource && event->button() == Qt::LeftButton && at.isValid() && selectionModel()
        && selectionModel()->isRowSelected(at.row(), at.parent())
        && !(event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier));
    m_dragStart = event->position().toPoint();
    if (m_mayDrag) {
        event->accept();
        return;
    }
    QTableView::mousePressEvent(event);
}

void TLNSTableView::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_mayDrag || !(event->buttons() & Qt::LeftButton)) {
        QTableView::mouseMoveEvent(event);
        return;
    }
    if ((event->position().toPoint() - m_dragStart).manhattanLength() < QApplication::startDragDistance())
        return;
    m_mayDrag = false;
    const QModelIndexList rows = selectedRowsInOrder();
    std::unique_ptr<QMimeData> mime = rows.isEmpty() ? nullptr : m_dragDataSource(rows);
    if (!mime)
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(mime.release());
    drag->exec(Qt::CopyAction, Qt::CopyAction);
}

void TLNSTableView::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_mayDrag && event->button() == Qt::LeftButton) {
        // No drag came of the press: it was a click, which selects that row alone.
        m_mayDrag = false;
        const QModelIndex at = indexAt(m_dragStart);
        if (at.isValid())
            selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    QTableView::mouseReleaseEvent(event);
}

} // namespace tolvo
