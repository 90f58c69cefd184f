// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/NotesFormatBar.h"

#include <QAction>
#include <QFont>
#include <QInputDialog>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTextList>

namespace tolvo {

namespace {

QAction* makeAction(QToolBar* bar, const QString& text, const QString& tip, const QKeySequence& key, bool checkable)
{
    QAction* action = bar->addAction(text);
    action->setToolTip(
        key.isEmpty() ? tip : QStringLiteral("%1 (%2)").arg(tip, key.toString(QKeySequence::NativeText)));
    action->setShortcut(key);
    // The keys work where the bar's owner also adds the action (the notes pane), not over the page view.
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    action->setCheckable(checkable);
    return action;
}

} // namespace

NotesFormatBar::NotesFormatBar(QWidget* parent)
    : QToolBar(parent)
{
    setIconSize(QSize(16, 16));
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_bold = makeAction(this, tr("B"), tr("Bold"), QKeySequence::Bold, true);
    QFont bold = font();
    bold.setBold(true);
    m_bold->setFont(bold);
    m_italic = makeAction(this, tr("I"), tr("Italic"), QKeySequence::Italic, true);
    QFont italic = font();
    italic.setItalic(true);
    m_italic->setFont(italic);
    m_underline = makeAction(this, tr("U"), tr("Underline"), QKeySequence::Underline, true);
    QFont underline = font();
    underline.setUnderline(true);
    m_underline->setFont(underline);
    addSeparator();
    m_bullets = makeAction(this, tr("\u2022 List"), tr("Bulleted list"), QKeySequence(), true);
    m_numbers = makeAction(this, tr("1. List"), tr("Numbered list"), QKeySequence(), true);
    addSeparator();
    m_link = makeAction(this, tr("Link"), tr("Link the selection to a URL"), QKeySequence(tr("Ctrl+K")), false);

    connect(m_bold, &QAction::triggered, this, [this](bool on) {
        QTextCharFormat format;
        format.setFontWeight(on ? QFont::Bold : QFont::Normal);
        mergeFormat(format);
    });
    connect(m_italic, &QAction::triggered, this, [this](bool on) {
        QTextCharFormat format;
        format.setFontItalic(on);
        mergeFormat(format);
    });
    connect(m_underline, &QAction::triggered, this, [this](bool on) {
        QTextCharFormat format;
        format.setFontUnderline(on);
        mergeFormat(format);
    });
    connect(m_bullets, &QAction::triggered, this, [this] { toggleList(QTextListFormat::ListDisc); });
    connect(m_numbers, &QAction::triggered, this, [this] { toggleList(QTextListFormat::ListDecimal); });
    connect(m_link, &QAction::triggered, this, &NotesFormatBar::askForLink);
    setEnabled(false);
}

void NotesFormatBar::setTextView(QTextEdit* view)
{
    disconnect(m_formatConnection);
    disconnect(m_cursorConnection);
    m_view = view;
    setEnabled(view != nullptr);
    if (!view)
        return;
    m_formatConnection = connect(view, &QTextEdit::currentCharFormatChanged, this, &NotesFormatBar::showFormat);
    m_cursorConnection = connect(view, &QTextEdit::cursorPositionChanged, this, &NotesFormatBar::showFormat);
    showFormat();
}

void NotesFormatBar::mergeFormat(const QTextCharFormat& format)
{
    if (!m_view)
        return;
    // Without a selection the format applies to what is typed next.
    m_view->mergeCurrentCharFormat(format);
    m_view->setFocus();
}

void NotesFormatBar::toggleList(int style)
{
    if (!m_view)
        return;
    QTextCursor cursor = m_view->textCursor();
    cursor.beginEditBlock();
    QTextList* list = cursor.currentList();
    if (list && list->format().style() == QTextListFormat::Style(style)) {
        // The same button again ends the list for the selected paragraphs.
        QTextBlock block = m_view->document()->findBlock(cursor.selectionStart());
        const QTextBlock last = m_view->document()->findBlock(cursor.selectionEnd());
        while (block.isValid()) {
            if (QTextList* of = block.textList())
                of->remove(block); // an emptied list goes away here
            QTextCursor at(block);
            QTextBlockFormat plain = block.blockFormat();
            plain.setIndent(0);
            at.setBlockFormat(plain);
            if (block == last)
                break;
            block = block.next();
        }
    } else if (list) {
        QTextListFormat format = list->format();
        format.setStyle(QTextListFormat::Style(style));
        list->setFormat(format);
    } else {
        QTextListFormat format;
        format.setStyle(QTextListFormat::Style(style));
        format.setIndent(cursor.blockFormat().indent() + 1);
        cursor.createList(format);
    }
    cursor.endEditBlock();
    showFormat();
    m_view->setFocus();
}

void NotesFormatBar::applyLink(const QString& url)
{
    if (!m_view)
        return;
    QTextCursor cursor = m_view->textCursor();
    cursor.beginEditBlock();
    QTextCharFormat format;
    if (url.isEmpty()) {
        format.setAnchor(false);
        format.setAnchorHref(QString());
        format.setFontUnderline(false);
        format.clearForeground();
        if (cursor.hasSelection())
            cursor.mergeCharFormat(format);
    } else {
        format.setAnchor(true);
        format.setAnchorHref(url);
        format.setForeground(QColor(0, 0, 255));
        if (cursor.hasSelection()) {
            cursor.mergeCharFormat(format);
        } else {
            QTextCharFormat linked = cursor.charFormat();
            linked.merge(format);
            cursor.insertText(url, linked);
            // Typing after the link goes on without it.
            cursor.setCharFormat(QTextCharFormat());
            m_view->setTextCursor(cursor);
        }
    }
    cursor.endEditBlock();
    m_view->setFocus();
}

void NotesFormatBar::askForLink()
{
    if (!m_view)
        return;
    const QString current = m_view->textCursor().charFormat().anchorHref();
    bool ok = false;
    const QString url
        = QInputDialog::getText(this, tr("Link"), tr("URL (empty removes the link):"), QLineEdit::Normal, current, &ok);
    if (ok)
        applyLink(url.trimmed());
}

void NotesFormatBar::showFormat()
{
    if (!m_view)
        return;
    const QTextCursor cursor = m_view->textCursor();
    const QTextCharFormat format = cursor.charFormat();
    m_bold->setChecked(format.fontWeight() >= QFont::Bold);
    m_italic->setChecked(format.fontItalic());
    m_underline->setChecked(format.fontUnderline());
    const QTextList* list = cursor.currentList();
    m_bullets->setChecked(list && list->format().style() == QTextListFormat::ListDisc);
    m_numbers->setChecked(list && list->format().style() == QTextListFormat::ListDecimal);
}

} // namespace tolvo
