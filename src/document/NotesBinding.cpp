// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/NotesBinding.h"

#include "document/NotesStore.h"

#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include <algorithm>

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
    show(m_store.html(m_area));
    view->document()->clearUndoRedoStacks();
    connect(view->document(), &QTextDocument::contentsChanged, this, &NotesBinding::viewEdited);
    connect(&m_store, &NotesStore::areaChanged, this, &NotesBinding::storeChanged);
}

void NotesBinding::viewEdited()
{
    if (m_applying || !m_view)
        return;
    m_store.setHtml(m_area, m_view->document()->toHtml(), this);
}

void NotesBinding::storeChanged(int area, const QString& html, const void* source)
{
    if (area != m_area || source == this || !m_view)
        return;
    show(html);
}

void NotesBinding::show(const QString& html)
{
    QTextDocument* document = m_view->document();
    const QString before = document->toRawText();
    const QTextCursor cursor = m_view->textCursor();
    const int anchor = cursor.anchor();
    const int position = cursor.position();
    const int vertical = m_view->verticalScrollBar()->value();
    const int horizontal = m_view->horizontalScrollBar()->value();

    m_applying = true;
    document->setHtml(html);
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
