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
#include <memory>
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
namespace pdf {
class Document;
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

    // Working with marks: the one selected, its comment, colour and link, undo and redo.
    /// The mark under a point of a page: an unsaved one, or one of the file's that has a /NM.
    std::optional<pdf::Mark> markAt(int pageIndex, const QPointF& point);
    const std::optional<pdf::Mark>& selectedMark() const { return m_selected; }
    void selectMark(const std::optional<pdf::Mark>& mark);
    void deleteSelectedMark();
    /// Asks for the selected mark's comment and sets it.
    void editSelectedComment();
    /// Puts the location link of the selected mark's top-left corner on the clipboard.
    void copyLinkToSelectedMark();
    void undo();
    void redo();
    bool canUndo() const { return !m_undo.empty(); }
    bool canRedo() const { return !m_redo.empty(); }
    QAction* undoAction() const { return m_undoAction; }
    QAction* redoAction() const { return m_redoAction; }
    QAction* deleteAction() const { return m_delete; }

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
    /// One change, as it can be undone: the mark before and after (nothing: not there).
    struct Step {
        QString id;
        int pageIndex = -1;
        std::optional<pdf::Mark> before;
        std::optional<pdf::Mark> after;
    };
    void apply(const QString& id, int pageIndex, const std::optional<pdf::Mark>& to);
    void record(Step step);
    void replaceSelected(const pdf::Mark& changed);
    void updateActions();
    const pdf::Document& currentFile();

    DocumentMarks& m_marks;
    pageview::LabelPDFView& m_view;
    Defaults& m_defaults;
    QPointer<QWidget> m_window;
    // Kept apart from the view: while the view is torn down its viewport still gets events,
    // and asking the half-destroyed view for it is undefined.
    QPointer<QWidget> m_viewport;
    QAction* m_highlight = nullptr;
    QAction* m_underline = nullptr;
    QAction* m_strikeOut = nullptr;
    QAction* m_note = nullptr;
    QAction* m_delete = nullptr;
    QAction* m_editComment = nullptr;
    QAction* m_copyLink = nullptr;
    QAction* m_undoAction = nullptr;
    QAction* m_redoAction = nullptr;
    QActionGroup* m_colours = nullptr;
    QList<QAction*> m_menuActions;
    QFrame* m_bar = nullptr;
    QLabel* m_barText = nullptr;
    bool m_placingNote = false;
    CommentQuestion m_ask;
    std::optional<pdf::Mark> m_selected;
    std::vector<Step> m_undo;
    std::vector<Step> m_redo;
    // The file as last written, for the marks it holds (the document keeps reading the file it opened).
    std::unique_ptr<pdf::Document> m_current;
};

} // namespace tolvo
