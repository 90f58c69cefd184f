// SPDX-License-Identifier: GPL-3.0-or-later
#include "preferences/PreferencesWindow.h"

#include "preferences/BehavioursPane.h"
#include "preferences/MatchingTableModel.h"
#include "preferences/PrefixFilterModel.h"
#include "preferences/RoutingTableModel.h"
#include "routing/RoutingCheck.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"
#include "ui_Preferences.h"
#include "widgets/TLNSTableView.h"

#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QStyle>
#include <QToolButton>

#include <algorithm>

namespace tolvo {

namespace {

const QString kAutomaticKey = QString::fromLatin1(keys::kAutomaticallyValidate);

void setUpTable(TLNSTableView* view, int firstColumnWidth)
{
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setDragEnabled(true);
    view->setDefaultDropAction(Qt::CopyAction);
    view->setWordWrap(false);
    view->setTextElideMode(Qt::ElideMiddle);
    view->verticalHeader()->hide();
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    view->horizontalHeader()->setStretchLastSection(true);
    view->horizontalHeader()->setHighlightSections(false);
    view->setColumnWidth(0, firstColumnWidth);
}

} // namespace

PreferencesWindow::PreferencesWindow(
    Defaults& defaults, RoutingCheck& check, PreferencesServices services, SearchScope scope, QWidget* parent)
    : QMainWindow(parent)
    , m_defaults(defaults)
    , m_check(check)
    , m_services(std::move(services))
    , m_scope(std::move(scope))
    , m_ui(std::make_unique<Ui::Preferences>())
    , m_routing(std::make_unique<RoutingTableModel>(defaults))
    , m_filter(std::make_unique<PrefixFilterModel>())
    , m_matching(std::make_unique<MatchingTableModel>(defaults))
{
    m_ui->setupUi(this);
    m_behaviours = new BehavioursPane(defaults, m_ui->behaviorsPane);
    m_ui->behaviorsLayout->addWidget(m_behaviours);
    m_ui->behaviorsLayout->addStretch(1);
    if (m_services.setFontPreferenceForPDFCopiedText)
        m_behaviours->setFontCommand(m_services.setFontPreferenceForPDFCopiedText);

    // The toolbar: each item's tag is the index of the pane it shows.
    auto* items = new QActionGroup(this);
    const struct {
        QAction* action;
        const char* identifier;
        QStyle::StandardPixmap icon;
    } toolbar[] = {
        { m_ui->prefixPreferencesToolbarItem, "prefix", QStyle::SP_FileLinkIcon },
        { m_ui->autoMatchPreferencesToolbarItem, "automatch", QStyle::SP_FileDialogContentsView },
        { m_ui->behaviorsPreferencesToolbarItem, "behaviors", QStyle::SP_FileDialogDetailedView },
    };
    m_ui->preferencesToolbar->setIconSize(QSize(24, 24));
    for (int tag = 0; tag < 3; ++tag) {
        QAction* action = toolbar[tag].action;
        action->setData(tag);
        action->setObjectName(QString::fromLatin1(toolbar[tag].identifier));
        action->setIcon(style()->standardIcon(toolbar[tag].icon));
        items->addAction(action);
        connect(action, &QAction::triggered, this, [this, tag] { changeTabInPreferencesTabView(tag); });
    }

    wireTables();
    wireButtons();
    m_check.onChecked = [this] { showCheckResult(); };
    showCheckResult();
    selectPane(PrefixPane);
    windowDidBecomeKey();
}

PreferencesWindow::~PreferencesWindow()
{
    m_check.onChecked = nullptr;
}

void PreferencesWindow::wireTables()
{
    m_filter->setSourceModel(m_routing.get());
    TLNSTableView* prefixes = m_ui->prefixTableView;
    prefixes->setModel(m_filter.get());
    setUpTable(prefixes, 220);
    prefixes->setEditTriggers(QAbstractItemView::NoEditTriggers);
    prefixes->setDragDropMode(QAbstractItemView::DragOnly);
    prefixes->viewport()->installEventFilter(this);
    prefixes->installEventFilter(this);

    TLNSTableView* matches = m_ui->autoMatchTableView;
    matches->setModel(m_matching.get());
    setUpTable(matches, 220);
    matches->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    matches->setDragDropMode(QAbstractItemView::DragDrop);
    matches->setAcceptDrops(true);
    matches->setDropIndicatorShown(true);
    matches->setDragDropOverwriteMode(false);
    matches->installEventFilter(this);
    for (TLNSTableView* table : { prefixes, matches }) {
        connect(
            table, &TLNSTableView::copyRequested, this, [this, table] { copySelectedTableItemsToClipboard(table); });
        connect(table, &TLNSTableView::pasteRequested, this, [this, table] { pasteItemsOnClipboardIntoTable(table); });
    }

    connect(m_ui->prefixSearchField, &QLineEdit::textChanged, this, &PreferencesWindow::prefixSearchTextChanged);
    connect(m_matching.get(), &MatchingTableModel::writeFailed, this, &PreferencesWindow::showWriteFailure);
    connect(m_matching.get(), &MatchingTableModel::editRefused, this, [this](const QString& reason) {
        QApplication::beep();
        auto* box = new QMessageBox(
            QMessageBox::Warning, windowTitle(), tr("The entry was not changed."), QMessageBox::Ok, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setInformativeText(reason);
        box->open();
    });
}

void PreferencesWindow::wireButtons()
{
    connect(m_ui->buttonManuallyValidatePrefixToPDFAssignments, &QPushButton::clicked, this,
        &PreferencesWindow::buttonClickedManuallyValidatePrefixToPDFAssignments);
    connect(
        m_ui->removePrefixButton, &QPushButton::clicked, this, [this] { removeSelectedRows(m_ui->prefixTableView); });
    connect(
        m_ui->removeMatchButton, &QPushButton::clicked, this, [this] { removeSelectedRows(m_ui->autoMatchTableView); });
    connect(m_ui->addMatchButton, &QPushButton::clicked, this, [this] {
        const int row = m_matching->addEntry();
        if (row < 0)
            return;
        TLNSTableView* view = m_ui->autoMatchTableView;
        const QModelIndex file = m_matching->index(row, MatchingTableModel::FileColumn);
        view->setCurrentIndex(file);
        view->edit(file);
    });
    for (QToolButton* help : { m_ui->prefixHelp, m_ui->automatchHelp }) {
        connect(help, &QToolButton::clicked, this, [this, help] {
            if (m_services.openButtonHelp)
                m_services.openButtonHelp(help->objectName());
        });
    }
    // The option changed in the Behaviours pane shows on the Prefix pane at once.
    connect(&m_defaults, &Defaults::valueChanged, this, [this](const QString& key) {
        if (key == kAutomaticKey)
            windowDidBecomeKey();
    });
}

TLNSTableView* PreferencesWindow::prefixTableView() const
{
    return m_ui->prefixTableView;
}

TLNSTableView* PreferencesWindow::autoMatchTableView() const
{
    return m_ui->autoMatchTableView;
}

void PreferencesWindow::changeTabInPreferencesTabView(int tag)
{
    if (tag == PrefixPane) {
        m_check.validateIfAutomatic(rowFilter());
        windowDidBecomeKey();
    }
    selectPane(tag);
}

void PreferencesWindow::selectPane(int tag)
{
    if (tag < 0 || tag >= m_ui->preferencesTabView->count())
        return;
    m_ui->preferencesTabView->setCurrentIndex(tag);
    for (QAction* action : m_ui->preferencesToolbar->actions())
        action->setChecked(action->data().toInt() == tag);
}

int PreferencesWindow::currentPane() const
{
    return m_ui->preferencesTabView->currentIndex();
}

void PreferencesWindow::windowDidBecomeKey()
{
    m_ui->buttonManuallyValidatePrefixToPDFAssignments->setVisible(!m_defaults.boolForKey(kAutomaticKey));
}

void PreferencesWindow::buttonClickedManuallyValidatePrefixToPDFAssignments()
{
    m_check.validateRoutingDictionary(rowFilter());
}

void PreferencesWindow::prefixSearchTextChanged(const QString& text)
{
    m_filter->setPattern(text);
    m_ui->prefixTableView->clearSelection();
}

RowFilter PreferencesWindow::rowFilter() const
{
    return m_filter->rowFilter();
}

void PreferencesWindow::prefixTableDoubleClickAction(int listedRow, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex listed = m_filter->index(listedRow, 0);
    if (!listed.isValid())
        return;
    const int row = m_filter->mapToSource(listed).row();
    const QString path = m_routing->filePathAt(row);
    if (modifiers & Qt::ControlModifier) {
        if (!path.isEmpty() && m_services.revealFile)
            m_services.revealFile(path);
        return;
    }
    // Only a file that is still the one the prefix names opens; a stale row opens nothing.
    RoutingTable routing(m_defaults, m_scope);
    const std::optional<ResolvedReference> resolved = routing.resolvePrefix(m_routing->prefixAt(row));
    if (resolved && resolved->found() && m_services.openFile)
        m_services.openFile(resolved->filePath);
}

QList<int> PreferencesWindow::selectedSourceRows(TLNSTableView* view) const
{
    QList<int> rows;
    if (!view->selectionModel())
        return rows;
    for (const QModelIndex& index : view->selectionModel()->selectedRows()) {
        const int row = view == m_ui->prefixTableView ? m_filter->mapToSource(index).row() : index.row();
        rows.append(row);
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void PreferencesWindow::copySelectedTableItemsToClipboard(TLNSTableView* table)
{
    if (!table)
        return;
    const QList<int> rows = selectedSourceRows(table);
    if (rows.isEmpty())
        return;
    const QList<PrefixRow> text = table == m_ui->prefixTableView ? m_routing->rowsAt(rows) : m_matching->rowsAt(rows);
    auto* mime = new QMimeData;
    mime->setText(prefixRowsText(text));
    QGuiApplication::clipboard()->setMimeData(mime);
}

void PreferencesWindow::pasteItemsOnClipboardIntoTable(TLNSTableView* view)
{
    if (view != m_ui->autoMatchTableView) {
        QApplication::beep();
        return;
    }
    if (const QMimeData* mime = QGuiApplication::clipboard()->mimeData())
        m_matching->paste(*mime);
}

void PreferencesWindow::removeSelectedRows(TLNSTableView* view)
{
    const QList<int> rows = selectedSourceRows(view);
    if (rows.isEmpty()) {
        QApplication::beep();
        return;
    }
    QStringList keys;
    if (view == m_ui->prefixTableView) {
        for (int row : rows)
            keys.append(m_routing->prefixAt(row));
        if (!m_routing->removePrefixes(keys))
            showWriteFailure();
    } else {
        for (int row : rows)
            keys.append(m_matching->keyAt(row));
        m_matching->removeKeys(keys);
    }
}

void PreferencesWindow::showCheckResult()
{
    m_routing->setInvalidLists(m_check.invalidPrefixList(), m_check.invalidPathsList());
}

void PreferencesWindow::showWriteFailure()
{
    auto* box
        = new QMessageBox(QMessageBox::Warning, windowTitle(), tr("Unable to save the change"), QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setInformativeText(tr("Tolvo could not write its settings file %1. The table shows what it holds now.")
                                .arg(Defaults::standardFilePath()));
    box->open();
}

bool PreferencesWindow::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        windowDidBecomeKey();
    return QMainWindow::event(event);
}

bool PreferencesWindow::eventFilter(QObject* watched, QEvent* event)
{
    TLNSTableView* prefixes = m_ui->prefixTableView;
    if (watched == prefixes->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        // The modifiers of this click, not of the moment the signal would arrive.
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QModelIndex index = prefixes->indexAt(mouse->position().toPoint());
        if (mouse->button() == Qt::LeftButton && index.isValid()) {
            prefixTableDoubleClickAction(index.row(), mouse->modifiers());
            return true;
        }
    }
    if (event->type() == QEvent::KeyPress && (watched == prefixes || watched == m_ui->autoMatchTableView)) {
        auto* key = static_cast<QKeyEvent*>(event);
        auto* view = static_cast<TLNSTableView*>(watched);
        // While a cell is edited its editor has the keys; these reach the view only outside editing.
        if (key->key() == Qt::Key_Delete || key->key() == Qt::Key_Backspace) {
            removeSelectedRows(view);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace tolvo
