// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/NotesTextView.h"

#include "document/ClipboardRichText.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QToolTip>

namespace tolvo {

NotesTextView::NotesTextView(QWidget* parent)
    : QTextEdit(parent)
{
    setAcceptRichText(true);
    setTabChangesFocus(false);
    // The pointer follows the links under it without a button held.
    viewport()->setMouseTracking(true);
}

bool NotesTextView::canInsertFromMimeData(const QMimeData* source) const
{
    return hasRichText(source) || QTextEdit::canInsertFromMimeData(source);
}

void NotesTextView::insertFromMimeData(const QMimeData* source)
{
    if (source && !source->hasHtml()) {
        if (const std::optional<QTextDocumentFragment> fragment = richTextFromMimeData(source)) {
            textCursor().insertFragment(*fragment);
            ensureCursorVisible();
            return;
        }
    }
    QTextEdit::insertFromMimeData(source);
}

void NotesTextView::mousePressEvent(QMouseEvent* event)
{
    // Only a plain left click follows a link: Shift extends the selection, Ctrl and Alt keep
    // their editing meanings.
    const bool plain = event->button() == Qt::LeftButton && event->modifiers() == Qt::NoModifier;
    m_pressedAnchor = plain ? anchorAt(event->position().toPoint()) : QString();
    m_pressPos = event->position().toPoint();
    QTextEdit::mousePressEvent(event);
}

void NotesTextView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (!m_pressedAnchor.isEmpty() && (pos - m_pressPos).manhattanLength() >= QApplication::startDragDistance())
        m_pressedAnchor.clear(); // a drag: it selects
    QTextEdit::mouseMoveEvent(event);
    // After the editor's own handling, which sets the pointer for list markers.
    showPointerFor(pos);
}

void NotesTextView::mouseReleaseEvent(QMouseEvent* event)
{
    const QString pressed = std::exchange(m_pressedAnchor, QString());
    QTextEdit::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || pressed.isEmpty() || textCursor().hasSelection())
        return;
    if (anchorAt(event->position().toPoint()) == pressed)
        emit linkActivated(pressed);
}

bool NotesTextView::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QString href = anchorAt(help->pos());
        if (href.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(help->globalPos(), href, viewport());
        }
        return true;
    }
    return QTextEdit::viewportEvent(event);
}

void NotesTextView::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = createStandardContextMenu(event->pos());
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addSeparator();
    menu->addAction(tr("Restore Earlier Version..."), this, &NotesTextView::restoreRequested);
    menu->popup(event->globalPos());
}

void NotesTextView::showPointerFor(const QPoint& viewportPos)
{
    const Qt::CursorShape shape = anchorAt(viewportPos).isEmpty() ? Qt::IBeamCursor : Qt::PointingHandCursor;
    if (viewport()->cursor().shape() != shape)
        viewport()->setCursor(shape);
}

} // namespace tolvo
