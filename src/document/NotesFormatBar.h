// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The notes areas' ruler: a small formatting bar for the selected notes area.

#include <QPointer>
#include <QToolBar>

class QTextCharFormat;
class QTextEdit;

namespace tolvo {

/// Bold, italic, underline, bulleted and numbered lists, and links, applied to
/// the text view it is given; the buttons show the format at its cursor.
class NotesFormatBar : public QToolBar {
    Q_OBJECT
public:
    explicit NotesFormatBar(QWidget* parent = nullptr);

    /// The text view the buttons act on (nullptr: none).
    void setTextView(QTextEdit* view);
    QTextEdit* textView() const { return m_view; }

    QAction* boldAction() const { return m_bold; }
    QAction* italicAction() const { return m_italic; }
    QAction* underlineAction() const { return m_underline; }
    QAction* bulletListAction() const { return m_bullets; }
    QAction* numberedListAction() const { return m_numbers; }
    QAction* linkAction() const { return m_link; }
    /// The six actions above, for adding their keys to the widget around the text views.
    QList<QAction*> formatActions() const { return { m_bold, m_italic, m_underline, m_bullets, m_numbers, m_link }; }

    /// Makes the selection a link to url; an empty url removes the links from the
    /// selection. With nothing selected, inserts url as linked text.
    void applyLink(const QString& url);
    /// Turns the current paragraphs into a list of the style, or back into plain paragraphs.
    void toggleList(int style);

private:
    void mergeFormat(const QTextCharFormat& format);
    void showFormat();
    void askForLink();

    QPointer<QTextEdit> m_view;
    QMetaObject::Connection m_formatConnection;
    QMetaObject::Connection m_cursorConnection;
    QAction* m_bold;
    QAction* m_italic;
    QAction* m_underline;
    QAction* m_bullets;
    QAction* m_numbers;
    QAction* m_link;
};

} // namespace tolvo
