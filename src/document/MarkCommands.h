// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The commands of the Marks menu, its toolbar and the page's context menu: marks
// made from the page's selection or at a clicked point, in the colour last chosen,
// handed to the document's marks; and what the window says about them.

#include "pdf/PdfMarks.h"

#include <QObject>
#include <QPointF>
#include <QPointer>

#include <functional>
#include <optional>

class QAction;
class QActionGroup;
class QFrame;
class QLabel;
class QMenu;
class QWidget;

namespace tolvo {

namespace pageview {
class LabelPDFView;
}

class Defaults;
class DocumentMarks;

class MarkCommands : public QObject {
    Q_OBJECT
public:
    /// The side of a note's icon on the page, in points.
    static constexpr double kNoteSize = 20;

    MarkCommands(DocumentMarks& marks, pageview::LabelPDFView& view, Defaults& defaults, QWidget* window);
    ~MarkCommands() override;

    QAction* highlightAction() const { return m_highlight; }
    QAction* underlineAction() const { return m_underline; }
    QAction* strikeOutAction() const { return m_strikeOut; }
    QAction* noteAction() const { return m_note; }
    /// The five colours, checkable, the chosen one checked.
    QList<QAction*> colourActions() const;
    /// The Marks menu's items, in order (with separators as actions).
    QList<QAction*> menuActions() const { return m_menuActions; }

    /// The colour new marks get: the stored choice.
    QColor currentColour() const;
    QString currentColourName() const;
    void setColourName(const QString& name);

    /// Marks the page view's selected text: one mark per page it touches, each with the text it
    /// covers. Beeps and makes nothing without a selection. Returns the ids made.
    QStringList markSelection(pdf::MarkKind kind);
    /// A note with the given comment at a point of a page (page space: the icon's top-left corner).
    QString addNote(int pageIndex, const QPointF& point, const QString& comment);
    /// The Note command: the next click on a page puts a note there and asks for its text.
    void beginNotePlacement();
    bool isPlacingNote() const { return m_placingNote; }

    /// The page's context menu at a view point.
    void showContextMenu(const QPoint& viewPoint);

    /// Asks for a note's text; tests replace it. Nothing: cancelled.
    using CommentQuestion = std::function<std::optional<QString>(const QString& title, const QString& current)>;
    void setCommentQuestion(CommentQuestion question) { m_ask = std::move(question); }

    /// The message bar above the pages (shown when the PDF cannot be written).
    QFrame* messageBar() const { return m_bar; }
    QString message() const;

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    QAction* makeAction(const QString& text, const QString& key, const std::function<void()>& fire);
    void showMessage(const QString& text);
    std::optional<QString> askComment(const QString& title, const QString& current);

    DocumentMarks& m_marks;
    pageview::LabelPDFView& m_view;
    Defaults& m_defaults;
    QPointer<QWidget> m_window;
    QAction* m_highlight = nullptr;
    QAction* m_underline = nullptr;
    QAction* m_strikeOut = nullptr;
    QAction* m_note = nullptr;
    QActionGroup* m_colours = nullptr;
    QList<QAction*> m_menuActions;
    QFrame* m_bar = nullptr;
    QLabel* m_barText = nullptr;
    bool m_placingNote = false;
    CommentQuestion m_ask;
};

} // namespace tolvo
