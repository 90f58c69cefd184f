// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/MarkCommands.h"

#include "document/DocumentMarks.h"
#include "pageview/LabelPDFView.h"
#include "pdf/PdfDocument.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QSet>
#include <QToolButton>
#include <QToolTip>

#include <map>

namespace tolvo {

namespace {

QIcon swatch(const QColor& colour)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(colour.darker(150));
    painter.setBrush(colour);
    painter.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 3, 3);
    return QIcon(pixmap);
}

QString colourTitle(const QString& name)
{
    return name.left(1).toUpper() + name.mid(1);
}

} // namespace

MarkCommands::MarkCommands(DocumentMarks& marks, pageview::LabelPDFView& view, Defaults& defaults, QWidget* window)
    : QObject(window)
    , m_marks(marks)
    , m_view(view)
    , m_defaults(defaults)
    , m_window(window)
{
    // Ctrl+Alt with a letter: no other command of the window uses these.
    m_highlight = makeAction(tr("&Highlight"), tr("Ctrl+Alt+H"), [this] { markSelection(pdf::MarkKind::Highlight); });
    m_underline = makeAction(tr("&Underline"), tr("Ctrl+Alt+U"), [this] { markSelection(pdf::MarkKind::Underline); });
    m_strikeOut = makeAction(tr("&Strike Out"), tr("Ctrl+Alt+S"), [this] { markSelection(pdf::MarkKind::StrikeOut); });
    m_note = makeAction(tr("Add &Note"), tr("Ctrl+Alt+N"), [this] { beginNotePlacement(); });
    m_note->setToolTip(tr("Add a note: click the place on the page"));
    m_menuActions << m_highlight << m_underline << m_strikeOut << m_note;
    auto* separator = new QAction(this);
    separator->setSeparator(true);
    m_menuActions << separator;

    m_editComment = makeAction(tr("Edit &Comment..."), tr("Ctrl+Alt+C"), [this] { editSelectedComment(); });
    m_copyLink = makeAction(tr("Copy &Link to Mark"), tr("Ctrl+Alt+L"), [this] { copyLinkToSelectedMark(); });
    // Delete, Undo and Redo work while the pages have the focus; in the notes those keys are the notes'.
    m_delete = makeAction(tr("&Delete Mark"), QString(), [this] { deleteSelectedMark(); });
    m_delete->setShortcut(QKeySequence::Delete);
    m_undoAction = makeAction(tr("&Undo Mark Change"), tr("Ctrl+Z"), [this] { undo(); });
    m_redoAction = makeAction(tr("&Redo Mark Change"), tr("Ctrl+Shift+Z"), [this] { redo(); });
    for (QAction* action : { m_delete, m_undoAction, m_redoAction }) {
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        m_view.addAction(action);
    }
    m_menuActions << m_editComment << m_copyLink << m_delete << m_undoAction << m_redoAction;
    auto* separator2 = new QAction(this);
    separator2->setSeparator(true);
    m_menuActions << separator2;

    m_colours = new QActionGroup(this);
    m_colours->setExclusive(true);
    const QString chosen = currentColourName();
    for (const pdf::MarkColour& entry : pdf::markColours()) {
        QAction* action = new QAction(swatch(entry.colour), colourTitle(entry.name), this);
        action->setCheckable(true);
        action->setChecked(entry.name == chosen);
        action->setData(entry.name);
        m_colours->addAction(action);
        connect(action, &QAction::triggered, this, [this, name = entry.name] { setColourName(name); });
        m_menuActions << action;
    }

    // The bar that says once that the PDF cannot take the marks.
    m_bar = new QFrame(window);
    m_bar->setObjectName(QStringLiteral("marksMessageBar"));
    m_bar->setFrameShape(QFrame::StyledPanel);
    m_bar->setStyleSheet(QStringLiteral("#marksMessageBar { background: #fff4ce; }"));
    auto* layout = new QHBoxLayout(m_bar);
    layout->setContentsMargins(8, 4, 4, 4);
    m_barText = new QLabel(m_bar);
    m_barText->setWordWrap(true);
    layout->addWidget(m_barText, 1);
    auto* closeButton = new QToolButton(m_bar);
    closeButton->setText(QStringLiteral("\u2715"));
    closeButton->setAutoRaise(true);
    connect(closeButton, &QToolButton::clicked, m_bar, &QWidget::hide);
    layout->addWidget(closeButton);
    m_bar->hide();
    connect(&m_marks, &DocumentMarks::cannotWrite, this, &MarkCommands::showMessage);

    m_viewport = m_view.viewport();
    m_viewport->installEventFilter(this);
    m_view.setMarkSource([this](int pageIndex) { return m_marks.unsavedMarks(pageIndex); });
    connect(&m_marks, &DocumentMarks::marksChanged, &m_view, &pageview::PageView::marksChanged);
    connect(&m_marks, &DocumentMarks::fileRewritten, &m_view, &pageview::PageView::reloadPages);
    connect(&m_marks, &DocumentMarks::fileRewritten, this, [this] { m_current.reset(); });
    updateActions();
}

// The view goes with the window before this object does; nothing of it is touched here.
MarkCommands::~MarkCommands() = default;

QAction* MarkCommands::makeAction(const QString& text, const QString& key, const std::function<void()>& fire)
{
    auto* action = new QAction(text, this);
    action->setShortcut(QKeySequence(key));
    connect(action, &QAction::triggered, this, [fire] { fire(); });
    return action;
}

QList<QAction*> MarkCommands::colourActions() const
{
    return m_colours->actions();
}

QString MarkCommands::currentColourName() const
{
    const QString name = m_defaults.stringForKey(QString::fromLatin1(keys::kMarkColour));
    for (const pdf::MarkColour& entry : pdf::markColours())
        if (entry.name == name)
            return name;
    return pdf::markColours().front().name;
}

QColor MarkCommands::currentColour() const
{
    return pdf::markColourNamed(currentColourName());
}

void MarkCommands::setColourName(const QString& name)
{
    m_defaults.setValue(QString::fromLatin1(keys::kMarkColour), name);
    for (QAction* action : m_colours->actions())
        action->setChecked(action->data().toString() == name);
    // A selected mark takes the colour too.
    if (m_selected && m_selected->colour != pdf::markColourNamed(name)) {
        pdf::Mark changed = *m_selected;
        changed.colour = pdf::markColourNamed(name);
        replaceSelected(changed);
    }
}

QStringList MarkCommands::markSelection(pdf::MarkKind kind)
{
    const pdf::TextSelection& selection = m_view.currentSelection();
    if (selection.isEmpty()) {
        QApplication::beep();
        return {};
    }
    // A mark lives on one page: a selection across pages makes one per page.
    std::map<int, pdf::Mark> byPage;
    for (const pdf::SelectionLine& line : selection.lines) {
        if (line.bounds.isEmpty())
            continue;
        pdf::Mark& mark = byPage[line.pageIndex];
        mark.pageIndex = line.pageIndex;
        mark.kind = kind;
        mark.colour = currentColour();
        mark.rects.append(line.bounds.normalized());
        if (!mark.text.isEmpty())
            mark.text += QLatin1Char(' ');
        mark.text += line.text.simplified();
    }
    QStringList ids;
    for (auto& [page, mark] : byPage) {
        mark.id = pdf::newMarkId();
        record(Step { mark.id, page, std::nullopt, mark });
        ids << m_marks.add(std::move(mark));
    }
    if (ids.isEmpty())
        QApplication::beep();
    else
        m_view.clearSelection();
    return ids;
}

QString MarkCommands::addNote(int pageIndex, const QPointF& point, const QString& comment)
{
    pdf::Mark mark;
    mark.kind = pdf::MarkKind::Note;
    mark.pageIndex = pageIndex;
    mark.colour = currentColour();
    mark.comment = comment;
    // Page space grows upward: the icon hangs below and right of the point as the page shows it.
    const pdf::PageGeometry geometry = m_view.pageGeometry(pageIndex);
    QRectF icon(point.x(), point.y() - kNoteSize, kNoteSize, kNoteSize);
    const QRectF crop = geometry.cropBox;
    if (crop.isValid()) {
        icon.moveLeft(std::clamp(icon.left(), crop.left(), std::max(crop.left(), crop.right() - kNoteSize)));
        icon.moveTop(std::clamp(icon.top(), crop.top(), std::max(crop.top(), crop.bottom() - kNoteSize)));
    }
    mark.rects.append(icon);
    mark.id = pdf::newMarkId();
    record(Step { mark.id, pageIndex, std::nullopt, mark });
    return m_marks.add(std::move(mark));
}

void MarkCommands::beginNotePlacement()
{
    m_placingNote = true;
    m_view.viewport()->setCursor(Qt::CrossCursor);
}

std::optional<QString> MarkCommands::askComment(const QString& title, const QString& current)
{
    if (m_ask)
        return m_ask(title, current);
    bool ok = false;
    const QString text = QInputDialog::getMultiLineText(m_window, title, tr("Comment:"), current, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

bool MarkCommands::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (watched != m_viewport
        || (type != QEvent::MouseButtonPress && type != QEvent::ToolTip && type != QEvent::ContextMenu))
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::MouseButtonPress && m_placingNote) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        m_placingNote = false;
        m_view.viewport()->unsetCursor();
        if (mouse->button() != Qt::LeftButton)
            return true;
        const int page = m_view.pageForPoint(mouse->position(), false);
        if (page < 0) {
            QApplication::beep();
            return true;
        }
        const QPointF point = m_view.convertPointToPage(mouse->position(), page);
        if (const std::optional<QString> comment = askComment(tr("New Note"), QString()))
            addNote(page, point, *comment);
        return true;
    }
    if (event->type() == QEvent::MouseButtonPress) {
        // A click on a mark selects it; anywhere else the page's own handling (text selection) goes on.
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && mouse->modifiers() == Qt::NoModifier) {
            const int page = m_view.pageForPoint(mouse->position(), false);
            std::optional<pdf::Mark> hit;
            if (page >= 0)
                hit = markAt(page, m_view.convertPointToPage(mouse->position(), page));
            selectMark(hit);
            if (hit) {
                m_view.clearSelection();
                m_view.setFocus(Qt::MouseFocusReason);
                return true;
            }
        }
    }
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int page = m_view.pageForPoint(help->pos(), false);
        const std::optional<pdf::Mark> hit
            = page >= 0 ? markAt(page, m_view.convertPointToPage(help->pos(), page)) : std::nullopt;
        if (hit && !hit->comment.isEmpty()) {
            QToolTip::showText(help->globalPos(), hit->comment, m_view.viewport());
            return true;
        }
    }
    if (event->type() == QEvent::ContextMenu) {
        showContextMenu(static_cast<QContextMenuEvent*>(event)->pos());
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void MarkCommands::showContextMenu(const QPoint& viewPoint)
{
    QMenu menu(&m_view);
    const bool selected = !m_view.currentSelection().isEmpty();
    for (QAction* action : { m_highlight, m_underline, m_strikeOut }) {
        QAction* item = menu.addAction(action->text(), action, &QAction::trigger);
        item->setEnabled(selected);
    }
    const int page = m_view.pageForPoint(viewPoint, false);
    QAction* note = menu.addAction(tr("Add Note Here"));
    note->setEnabled(page >= 0);
    connect(note, &QAction::triggered, this, [this, page, viewPoint] {
        const QPointF point = m_view.convertPointToPage(viewPoint, page);
        if (const std::optional<QString> comment = askComment(tr("New Note"), QString()))
            addNote(page, point, *comment);
    });
    const QPointF pagePoint = page >= 0 ? m_view.convertPointToPage(viewPoint, page) : QPointF();
    if (const std::optional<pdf::Mark> hit = page >= 0 ? markAt(page, pagePoint) : std::nullopt) {
        selectMark(hit);
        menu.addSeparator();
        menu.addAction(m_editComment);
        menu.addAction(m_copyLink);
        menu.addAction(m_delete);
    }
    QMenu* colours = menu.addMenu(tr("Colour"));
    colours->addActions(m_colours->actions());
    menu.exec(m_view.viewport()->mapToGlobal(viewPoint));
}

const pdf::Document& MarkCommands::currentFile()
{
    if (!m_current)
        m_current = m_marks.document().reopen();
    return m_current ? *m_current : m_marks.document();
}

namespace {

std::optional<pdf::Mark> markOfAnnotation(const pdf::Document& document, const pdf::Annotation& annotation)
{
    pdf::Mark mark;
    mark.id = annotation.name;
    mark.pageIndex = annotation.pageIndex;
    if (annotation.type == QLatin1String("Text"))
        mark.kind = pdf::MarkKind::Note;
    else if (const std::optional<pdf::MarkKind> kind = pdf::markKindFromName(annotation.type);
             kind && *kind != pdf::MarkKind::Note)
        mark.kind = *kind;
    else
        return std::nullopt;
    mark.colour = annotation.colour.value_or(pdf::markColours().front().colour);
    if (mark.kind == pdf::MarkKind::Note) {
        mark.rects.append(annotation.bounds);
        mark.comment = annotation.contents.value_or(QString());
        return mark;
    }
    for (qsizetype i = 0; i + 3 < annotation.quadPoints.size(); i += 4) {
        QRectF box;
        for (qsizetype j = i; j < i + 4; ++j)
            box = box.united(QRectF(annotation.quadPoints[j], QSizeF(0.001, 0.001)));
        mark.rects.append(box);
        const QString line = document.selectionForRect(mark.pageIndex, box).text.simplified();
        if (!line.isEmpty())
            mark.text += (mark.text.isEmpty() ? QString() : QStringLiteral(" ")) + line;
    }
    if (mark.rects.isEmpty())
        mark.rects.append(annotation.bounds);
    const QString contents = annotation.contents.value_or(QString()).trimmed();
    if (contents.simplified().compare(mark.text, Qt::CaseInsensitive) != 0)
        mark.comment = contents;
    return mark;
}

bool covers(const pdf::Mark& mark, const QPointF& point)
{
    for (const QRectF& rect : mark.rects)
        if (rect.normalized().adjusted(-1, -1, 1, 1).contains(point))
            return true;
    return false;
}

} // namespace

std::optional<pdf::Mark> MarkCommands::markAt(int pageIndex, const QPointF& point)
{
    QSet<QString> edited;
    for (const pdf::MarkEdit& edit : m_marks.pending())
        edited.insert(edit.id);
    for (const pdf::Mark& mark : m_marks.unsavedMarks(pageIndex))
        if (covers(mark, point))
            return mark;
    const pdf::Document& file = currentFile();
    if (pageIndex < 0 || pageIndex >= file.pageCount())
        return std::nullopt;
    // The topmost first: the page draws its annotations in order.
    const std::vector<pdf::Annotation> annotations = file.annotations(pageIndex);
    for (auto it = annotations.rbegin(); it != annotations.rend(); ++it) {
        if (it->name.isEmpty() || edited.contains(it->name) || !it->bounds.adjusted(-1, -1, 1, 1).contains(point))
            continue;
        if (std::optional<pdf::Mark> mark = markOfAnnotation(file, *it); mark && covers(*mark, point))
            return mark;
    }
    return std::nullopt;
}

void MarkCommands::selectMark(const std::optional<pdf::Mark>& mark)
{
    m_selected = mark;
    m_view.setSelectedMark(mark);
    updateActions();
}

void MarkCommands::updateActions()
{
    const bool selected = m_selected.has_value();
    m_delete->setEnabled(selected);
    m_editComment->setEnabled(selected);
    m_copyLink->setEnabled(selected);
    m_undoAction->setEnabled(!m_undo.empty());
    m_redoAction->setEnabled(!m_redo.empty());
}

void MarkCommands::apply(const QString& id, int pageIndex, const std::optional<pdf::Mark>& to)
{
    if (to)
        m_marks.change(*to);
    else
        m_marks.remove(id, pageIndex);
    if (m_selected && m_selected->id == id)
        selectMark(to);
}

void MarkCommands::record(Step step)
{
    m_undo.push_back(std::move(step));
    m_redo.clear();
    updateActions();
}

void MarkCommands::replaceSelected(const pdf::Mark& changed)
{
    if (!m_selected)
        return;
    record(Step { changed.id, changed.pageIndex, m_selected, changed });
    apply(changed.id, changed.pageIndex, changed);
}

void MarkCommands::deleteSelectedMark()
{
    if (!m_selected) {
        QApplication::beep();
        return;
    }
    const pdf::Mark gone = *m_selected;
    record(Step { gone.id, gone.pageIndex, gone, std::nullopt });
    apply(gone.id, gone.pageIndex, std::nullopt);
}

void MarkCommands::editSelectedComment()
{
    if (!m_selected) {
        QApplication::beep();
        return;
    }
    const std::optional<QString> comment = askComment(tr("Comment"), m_selected->comment);
    if (!comment || !m_selected || *comment == m_selected->comment)
        return;
    pdf::Mark changed = *m_selected;
    changed.comment = *comment;
    replaceSelected(changed);
}

void MarkCommands::copyLinkToSelectedMark()
{
    if (!m_selected) {
        QApplication::beep();
        return;
    }
    // The corner that shows top-left on an upright page: page space grows upward.
    const QRectF bounds = m_selected->bounds();
    m_view.copyLocationLink(m_selected->pageIndex, QPointF(bounds.left(), bounds.bottom()));
}

void MarkCommands::undo()
{
    if (m_undo.empty()) {
        QApplication::beep();
        return;
    }
    Step step = std::move(m_undo.back());
    m_undo.pop_back();
    apply(step.id, step.pageIndex, step.before);
    m_redo.push_back(std::move(step));
    updateActions();
}

void MarkCommands::redo()
{
    if (m_redo.empty()) {
        QApplication::beep();
        return;
    }
    Step step = std::move(m_redo.back());
    m_redo.pop_back();
    apply(step.id, step.pageIndex, step.after);
    m_undo.push_back(std::move(step));
    updateActions();
}

void MarkCommands::showMessage(const QString& text)
{
    m_barText->setText(text);
    m_bar->show();
}

QString MarkCommands::message() const
{
    return m_bar->isVisibleTo(m_bar->parentWidget()) ? m_barText->text() : QString();
}

} // namespace tolvo
