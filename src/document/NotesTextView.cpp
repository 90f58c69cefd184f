// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/NotesTextView.h"

#include "document/ClipboardRichText.h"

#include <QMimeData>

namespace tolvo {

NotesTextView::NotesTextView(QWidget* parent)
    : QTextEdit(parent)
{
    setAcceptRichText(true);
    setTabChangesFocus(false);
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

} // namespace tolvo
