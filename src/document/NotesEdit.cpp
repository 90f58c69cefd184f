// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/NotesEdit.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

#include <algorithm>

namespace tolvo {

namespace {

NotesEdit::Block describe(const QTextBlock& block)
{
    NotesEdit::Block b;
    b.text = block.text();
    b.format = block.blockFormat();
    // The list a block belongs to is an object of its own document: compared by its format below.
    b.format.setObjectIndex(-1);
    if (const QTextList* list = block.textList()) {
        b.inList = true;
        b.listFormat = list->format();
        b.listGoesOn = block.previous().isValid() && block.previous().textList() == list;
    }
    return b;
}

// The blocks from the one holding `from` to the one holding `to`.
QList<NotesEdit::Block> describeRange(const QTextDocument& document, int from, int to)
{
    QList<NotesEdit::Block> blocks;
    QTextBlock block = document.findBlock(from);
    const QTextBlock last = document.findBlock(to);
    while (block.isValid()) {
        blocks.append(describe(block));
        if (block == last)
            break;
        block = block.next();
    }
    return blocks;
}

int lastPosition(const QTextDocument& document)
{
    return std::max(0, int(document.characterCount()) - 1);
}

} // namespace

NotesEdit captureEdit(const QTextDocument& source, int position, int removed, int added)
{
    NotesEdit edit;
    const int last = lastPosition(source);
    edit.position = std::clamp(position, 0, last);
    // A change reported over the whole text counts the end of the last paragraph, which no cursor can reach.
    edit.added = std::clamp(position + added, edit.position, last) - edit.position;
    edit.removed = std::max(0, removed - (added - edit.added));
    QTextCursor range(const_cast<QTextDocument*>(&source));
    range.setPosition(edit.position);
    range.setPosition(edit.position + edit.added, QTextCursor::KeepAnchor);
    if (edit.added > 0) {
        edit.inserted = range.selection();
        edit.insertedForWriter = range.selection();
        // A fragment makes parts of itself on first reading, as children of its own document: made here,
        // in the thread that owns that document, they are not made later in the writer's.
        (void)edit.insertedForWriter.toHtml();
    }
    edit.blocks = describeRange(source, edit.position, edit.position + edit.added);
    edit.characterCount = int(source.characterCount());
    return edit;
}

NotesEdit wholeEdit(const QTextDocument& source)
{
    NotesEdit edit;
    edit.whole = true;
    edit.inserted = QTextDocumentFragment(&source);
    edit.characterCount = int(source.characterCount());
    return edit;
}

NotesEdit wholeEdit(const QString& html)
{
    QTextDocument document;
    document.setHtml(html);
    return wholeEdit(document);
}

NotesEdit replaceAllEdit(const QTextDocument& current, const QString& html)
{
    QTextDocument replacement;
    replacement.setHtml(html);
    return captureEdit(replacement, 0, lastPosition(current), lastPosition(replacement));
}

namespace {

bool apply(QTextDocument& target, const NotesEdit& edit, const QTextDocumentFragment& inserted)
{
    if (edit.whole) {
        target.clear();
        if (!inserted.isEmpty())
            QTextCursor(&target).insertFragment(inserted);
        return true;
    }
    const int last = lastPosition(target);
    QTextCursor cursor(&target);
    cursor.setPosition(std::min(edit.position, last));
    cursor.setPosition(std::min(edit.position + edit.removed, last), QTextCursor::KeepAnchor);
    cursor.beginEditBlock();
    if (inserted.isEmpty())
        cursor.removeSelectedText();
    else
        cursor.insertFragment(inserted);
    // A fragment that starts at a paragraph's beginning does not always bring that paragraph's format.
    QTextBlock block = target.findBlock(edit.position);
    for (const NotesEdit::Block& wanted : edit.blocks) {
        if (!block.isValid())
            break;
        QTextBlockFormat format = wanted.format;
        format.setObjectIndex(block.blockFormat().objectIndex());
        if (block.blockFormat() != format)
            QTextCursor(block).setBlockFormat(format);
        block = block.next();
    }
    cursor.endEditBlock();
    return int(target.characterCount()) == edit.characterCount
        && describeRange(target, edit.position, edit.position + edit.added) == edit.blocks;
}

} // namespace

bool applyEdit(QTextDocument& target, const NotesEdit& edit)
{
    return apply(target, edit, edit.inserted);
}

bool applyWriterEdit(QTextDocument& target, const NotesEdit& edit)
{
    return apply(target, edit, edit.insertedForWriter);
}

} // namespace tolvo
