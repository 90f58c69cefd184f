#include "document/TLNSOutlineView.h"

#include "document/DelegateCall.h"

#include <QKeyEvent>

namespace tolvo {

TLNSOutlineView::TLNSOutlineView(QWidget* parent)
    : QTreeView(parent)
{
}

void TLNSOutlineView::copy()
{
    callDelegate(m_delegate, "copySelectedItemsToClipboard", this);
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

} // namespace tolvo
