// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/MarkCommands.h"

#include "document/DocumentMarks.h"
#include "pageview/LabelPDFView.h"
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
#include <QToolButton>

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

    m_view.viewport()->installEventFilter(this);
    m_view.setMarkSource([this](int pageIndex) { return m_marks.unsavedMarks(pageIndex); });
    connect(&m_marks, &DocumentMarks::marksChanged, &m_view, &pageview::PageView::marksChanged);
    connect(&m_marks, &DocumentMarks::fileRewritten, &m_view, &pageview::PageView::reloadPages);
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
    for (auto& [page, mark] : byPage)
        ids << m_marks.add(std::move(mark));
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
    if (watched != m_view.viewport())
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
    QMenu* colours = menu.addMenu(tr("Colour"));
    colours->addActions(m_colours->actions());
    menu.exec(m_view.viewport()->mapToGlobal(viewPoint));
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
