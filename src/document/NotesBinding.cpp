// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/NotesBinding.h"

#include "document/NotesEdit.h"
#include "document/NotesStore.h"

#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include <QEvent>

#include <algorithm>
#include <utility>

namespace tolvo {

int mapCursorPosition(const QString& oldText, const QString& newText, int position)
{
    const int oldLength = int(oldText.size());
    const int newLength = int(newText.size());
    position = std::clamp(position, 0, oldLength);
    int prefix = 0;
    const int shorter = std::min(oldLength, newLength);
    while (prefix < shorter && oldText[prefix] == newText[prefix])
        ++prefix;
    int suffix = 0;
    while (suffix < shorter - prefix && oldText[oldLength - 1 - suffix] == newText[newLength - 1 - suffix])
        ++suffix;
    if (position <= prefix)
        return position;
    if (position >= oldLength - suffix)
        return position + newLength - oldLength;
    return newLength - suffix;
}

NotesBinding::NotesBinding(QTextEdit* view, int area, NotesStore& store, QObject* parent)
    : QObject(parent)
    , m_view(view)
    , m_area(area)
    , m_store(store)
{
    m_applying = true;
    if (const QTextDocument* shared = m_store.document(m_area))
        applyEdit(*view->document(), wholeEdit(*shared));
    m_applying = false;
    view->document()->clearUndoRedoStacks();
    connect(view->document(), &QTextDocument::contentsChange, this, &NotesBinding::viewChanged);
    m_catchUp.setSingleShot(true);
    m_catchUp.setInterval(kCatchUpMs);
    connect(&m_catchUp, &QTimer::timeout, this, &NotesBinding::catchUp);
    view->installEventFilter(this);
    view->viewport()->installEventFilter(this);
    connect(&m_store, &NotesStore::areaEdited, this, &NotesBinding::storeEdited);
}

void NotesBinding::viewChanged(int position, int removed, int added)
{
    if (m_applying || !m_view)
        return;
    const QTextDocument& document = *m_view->document();
    m_store.takeEdit(m_area, captureEdit(document, position, removed, added), document, this);
}

void NotesBinding::storeEdited(int area, const NotesEdit& edit, const void* source)
{
    if (area != m_area || source == this || !m_view)
        return;
    if (m_view->isVisible() && !m_view->isActiveWindow()) {
        m_waiting.append(edit);
        if (!m_catchUp.isActive())
            m_catchUp.start();
        return;
    }
    catchUp();
    if (edit.whole) {
        applyWhole(edit);
        return;
    }
    // Cursors of the view move with the text by themselves; the scroll position stays.
    const int vertical = m_view->verticalScrollBar()->value();
    m_applying = true;
    const bool same = applyEdit(*m_view->document(), edit);
    m_applying = false;
    if (!same)
        applyWhole(wholeEdit(*m_store.document(m_area)));
    m_view->verticalScrollBar()->setValue(vertical);
}

void NotesBinding::catchUp()
{
    m_catchUp.stop();
    if (m_waiting.isEmpty() || !m_view)
        return;
    const QList<NotesEdit> waiting = std::exchange(m_waiting, {});
    const bool anyWhole = std::any_of(waiting.cbegin(), waiting.cend(), [](const NotesEdit& e) { return e.whole; });
    if (anyWhole) {
        applyWhole(wholeEdit(*m_store.document(m_area)));
        return;
    }
    // One editing batch: the view lays out and draws once for all of them.
    const int vertical = m_view->verticalScrollBar()->value();
    m_applying = true;
    QTextCursor batch(m_view->document());
    batch.beginEditBlock();
    bool same = true;
    for (const NotesEdit& edit : waiting)
        same = same && applyEdit(*m_view->document(), edit);
    batch.endEditBlock();
    m_applying = false;
    if (!same)
        applyWhole(wholeEdit(*m_store.document(m_area)));
    m_view->verticalScrollBar()->setValue(vertical);
}

bool NotesBinding::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
    case QEvent::InputMethod:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::FocusIn:
    case QEvent::DragEnter:
    case QEvent::Drop:
    case QEvent::WindowActivate:
        catchUp();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void NotesBinding::applyWhole(const NotesEdit& edit)
{
    QTextDocument* document = m_view->document();
    const QString before = document->toRawText();
    const QTextCursor cursor = m_view->textCursor();
    const int anchor = cursor.anchor();
    const int position = cursor.position();
    const int vertical = m_view->verticalScrollBar()->value();
    const int horizontal = m_view->horizontalScrollBar()->value();

    m_applying = true;
    applyEdit(*document, edit);
    const QString after = document->toRawText();
    QTextCursor restored(document);
    const int last = std::max(0, int(document->characterCount()) - 1);
    restored.setPosition(std::clamp(mapCursorPosition(before, after, anchor), 0, last));
    restored.setPosition(std::clamp(mapCursorPosition(before, after, position), 0, last), QTextCursor::KeepAnchor);
    m_view->setTextCursor(restored);
    m_view->verticalScrollBar()->setValue(vertical);
    m_view->horizontalScrollBar()->setValue(horizontal);
    m_applying = false;
}

} // namespace tolvo
