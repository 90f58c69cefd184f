// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/NotesInsertion.h"

#include <QColor>
#include <QTextCursor>
#include <QTextEdit>

namespace tolvo {

namespace {

QTextCharFormat formatOf(const TextAttributes& attributes)
{
    QTextCharFormat format;
    if (attributes.link) {
        format.setAnchor(true);
        format.setAnchorHref(*attributes.link);
    }
    if (attributes.color)
        format.setForeground(QColor(attributes.color->red, attributes.color->green, attributes.color->blue));
    if (attributes.underline)
        format.setFontUnderline(true);
    if (attributes.bold)
        format.setFontWeight(QFont::Bold);
    if (attributes.italic)
        format.setFontItalic(true);
    if (attributes.strikeThrough)
        format.setFontStrikeOut(true);
    if (attributes.font) {
        format.setFontFamilies({ attributes.font->family });
        if (attributes.font->hasSize())
            format.setFontPointSize(attributes.font->pointSize);
    }
    return format;
}

QTextCharFormat typingFormat(const QTextEdit* view)
{
    QTextCharFormat format = view->currentCharFormat();
    format.setAnchor(false);
    format.clearProperty(QTextFormat::AnchorHref);
    format.clearProperty(QTextFormat::AnchorName);
    return format;
}

} // namespace

void insertIntoTextView(QTextEdit* view, const QList<NotesPiece>& pieces)
{
    if (!view)
        return;
    const QTextCharFormat typing = typingFormat(view);
    QTextCursor cursor = view->textCursor();
    cursor.beginEditBlock();
    for (const NotesPiece& piece : pieces) {
        if (const auto* rich = std::get_if<RichText>(&piece)) {
            // A run takes the look of the text around it (its font and size) plus what it says itself:
            // the link and its colour, and the user font where that option gives an installed font.
            for (const TextRun& run : rich->runs()) {
                QTextCharFormat format = typing;
                format.merge(formatOf(run.attributes));
                cursor.insertText(run.text, format);
            }
        } else {
            cursor.insertText(std::get<QString>(piece), typing);
        }
    }
    cursor.endEditBlock();
    view->setTextCursor(cursor);
    view->setCurrentCharFormat(typing);
}

} // namespace tolvo
