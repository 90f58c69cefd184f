// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/NotesPane.h"

#include "document/ClipboardRichText.h"
#include "document/NotesBinding.h"
#include "document/NotesFormatBar.h"
#include "document/NotesHistoryDialog.h"
#include "document/NotesSafety.h"
#include "document/NotesStore.h"
#include "document/NotesTextView.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"

#include <QAction>
#include <QApplication>
#include <QBoxLayout>
#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QTabWidget>
#include <QTextCursor>
#include <QTextEdit>

#include <algorithm>

namespace tolvo {

NotesPane::NotesPane(QWidget* pane, QTabWidget* tabview, const Views& views, NotesFormatBar* ruler, NotesStore& store,
    Defaults& defaults, QObject* parent)
    : QObject(parent)
    , m_pane(pane)
    , m_tabview(tabview)
    , m_views(views)
    , m_ruler(ruler)
    , m_defaults(defaults)
    , m_store(store)
{
    m_messageBar = new NotesMessageBar(store, m_pane);
    if (auto* column = qobject_cast<QBoxLayout*>(m_pane->layout()))
        column->insertWidget(0, m_messageBar);
    m_pane->window()->installEventFilter(this);
    for (int i = 0; i < 5; ++i) {
        m_bindings[i] = new NotesBinding(m_views[i], i, store, this);
        if (auto* view = qobject_cast<NotesTextView*>(m_views[i])) {
            connect(view, &NotesTextView::linkActivated, this, &NotesPane::linkActivated);
            connect(view, &NotesTextView::restoreRequested, this, [this, i] { restoreEarlierVersion(i); });
        }
    }
    if (m_ruler) {
        m_ruler->hide();
        for (QAction* action : m_ruler->formatActions())
            m_pane->addAction(action);
        m_ruler->setTextView(selectedTextView());
    }
    connect(m_tabview, &QTabWidget::currentChanged, this, &NotesPane::tabSelected);
}

NotesPane::~NotesPane() = default;

bool NotesPane::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Close || watched != m_pane->window())
        return QObject::eventFilter(watched, event);
    const QWidgetList windows = QApplication::topLevelWidgets();
    const bool last = std::none_of(windows.cbegin(), windows.cend(), [this](const QWidget* other) {
        return other != m_pane->window() && other->isVisible()
            && (other->windowType() == Qt::Window || other->windowType() == Qt::Dialog);
    });
    if (last && QApplication::quitOnLastWindowClosed())
        notesAllowQuit(m_store, m_pane->window());
    return QObject::eventFilter(watched, event);
}

QString NotesPane::tabviewselectedlabel() const
{
    const int index = m_tabview->currentIndex();
    return index >= 0 ? m_tabview->tabText(index) : QString();
}

QTextEdit* NotesPane::selectedTextView() const
{
    const QString label = tabviewselectedlabel();
    for (int i = 1; i < 5; ++i)
        if (label == QString::number(i + 1))
            return textView(i);
    return textView(0);
}

QTextEdit* NotesPane::textView(int index) const
{
    if (index < 0 || index >= 5)
        return nullptr;
    // Whoever asks for the view may edit it: it must hold every edit made elsewhere first.
    m_bindings[index]->catchUp();
    return m_views[index];
}

void NotesPane::selectArea(int index)
{
    if (index < 0 || index >= 5)
        return;
    m_tabview->setCurrentIndex(index);
    // Clicking the tab already selected changes nothing, yet the choice is remembered too.
    tabSelected(index);
}

void NotesPane::selectStoredTab()
{
    const qint64 stored = m_defaults.integerForKey(QString::fromLatin1(keys::kLastSelectedScratchpad));
    m_tabview->setCurrentIndex(stored >= 0 && stored < 5 ? int(stored) : 0);
}

void NotesPane::showRulers()
{
    if (m_ruler)
        m_ruler->show();
}

void NotesPane::setTextWidth(int width)
{
    for (QTextEdit* view : m_views)
        view->setMaximumWidth(std::max(0, width));
}

void NotesPane::restoreEarlierVersion(int index)
{
    if (index < 0 || index >= 5)
        index = std::max(0, m_tabview->currentIndex());
    // Whatever was typed last is on disk first, so that the list is up to date.
    m_store.flush();
    auto* dialog = new NotesHistoryDialog(m_store, index, m_pane->window());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->open();
}

void NotesPane::tabSelected(int index)
{
    if (index < 0 || index >= 5)
        return;
    if (m_ruler)
        m_ruler->setTextView(selectedTextView());
    m_defaults.setValue(QString::fromLatin1(keys::kLastSelectedScratchpad), index);
    m_defaults.synchronize();
}

void NotesPane::insertBetweenSpaces(const std::function<void(QTextCursor&)>& insert)
{
    QTextEdit* view = selectedTextView();
    QTextCursor cursor = view->textCursor();
    // Both spaces take the format at the insertion point, not the inserted text's last format (a link).
    const QTextCharFormat around = cursor.charFormat();
    cursor.beginEditBlock();
    cursor.insertText(QStringLiteral(" "), around);
    insert(cursor);
    cursor.insertText(QStringLiteral(" "), around);
    cursor.endEditBlock();
    view->setTextCursor(cursor);
    view->setFocus(Qt::OtherFocusReason);
}

void NotesPane::insertClipboardRichText()
{
    const std::optional<QTextDocumentFragment> fragment
        = richTextFromMimeData(QGuiApplication::clipboard()->mimeData());
    if (!fragment || fragment->isEmpty())
        return;
    insertBetweenSpaces([&](QTextCursor& cursor) { cursor.insertFragment(*fragment); });
}

void NotesPane::insertClipboardPlainText()
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasText())
        return;
    const QString text = data->text();
    if (text.isEmpty())
        return;
    insertBetweenSpaces([&](QTextCursor& cursor) { cursor.insertText(text); });
}

} // namespace tolvo
