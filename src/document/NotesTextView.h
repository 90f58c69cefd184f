// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One notes area's text view.

#include <QPoint>
#include <QString>
#include <QTextEdit>

namespace tolvo {

/// A rich-text editor that also takes pasted and dropped RTF (through our reader) when no HTML
/// comes with it, and whose links can be followed while the text stays editable: a plain click
/// on a link asks for it to be followed, a drag selects as anywhere else; the pointer is a hand
/// over a link and the link's address shows as its tool tip.
class NotesTextView : public QTextEdit {
    Q_OBJECT
public:
    explicit NotesTextView(QWidget* parent = nullptr);

signals:
    /// A link was clicked; href is its address as stored in the notes.
    void linkActivated(const QString& href);
    /// "Restore Earlier Version..." was chosen in the context menu.
    void restoreRequested();

protected:
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void showPointerFor(const QPoint& viewportPos);

    QString m_pressedAnchor; ///< the link under a plain left press, until release or a drag
    QPoint m_pressPos;
};

} // namespace tolvo
