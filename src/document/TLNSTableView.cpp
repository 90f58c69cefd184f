#include "document/TLNSTableView.h"

#include "document/DelegateCall.h"

#include <QKeyEvent>

namespace tolvo {

TLNSTableView::TLNSTableView(QWidget* parent)
    : QTableView(parent)
{
}

void TLNSTableView::copy()
{
    callDelegate(m_delegate, "copySelectedTableItemsToClipboard", this);
}

void TLNSTableView::paste()
{
    callDelegate(m_delegate, "pasteItemsOnClipboardIntoTable", this);
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

} // namespace tolvo
