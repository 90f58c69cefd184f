// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The preference window: a toolbar of three panes (tags 0, 1, 2) showing the
// routing table, the auto-match table and the behaviour options. It is the
// delegate of both tables: Copy, Paste, drags and drops come here.

#include "routing/RoutingTable.h"

#include <QMainWindow>

#include <functional>
#include <memory>

namespace Ui {
class Preferences;
}

namespace tolvo {

class BehavioursPane;
class Defaults;
class MatchingTableModel;
class PrefixFilterModel;
class RoutingCheck;
class RoutingTableModel;
class TLNSTableView;

/// What the window asks of the application. Each may be left empty.
struct PreferencesServices {
    /// Opens a PDF as a document and shows it.
    std::function<void(const QString& path)> openFile;
    /// Shows a file selected in its folder.
    std::function<void(const QString& path)> revealFile;
    /// The help buttons: "prefixHelp" or "automatchHelp".
    std::function<void(const QString& identifier)> openButtonHelp;
    /// Opens the font dialog for text copied from PDFs.
    std::function<void()> setFontPreferenceForPDFCopiedText;
};

class PreferencesWindow : public QMainWindow {
    Q_OBJECT
public:
    enum Pane { PrefixPane = 0, AutoMatchPane = 1, BehavioursPaneTag = 2 };

    /// Neither defaults nor check is owned; both must outlive the window. The window shows
    /// the results of check and redraws its routing table after every check; scope is where
    /// opening a row looks for a PDF that has moved.
    PreferencesWindow(Defaults& defaults, RoutingCheck& check, PreferencesServices services = {},
        SearchScope scope = SearchScope::standard(), QWidget* parent = nullptr);
    ~PreferencesWindow() override;

    /// The toolbar item's command: for tag 0 first the automatic check and the check
    /// button's rule; then the pane of that tag, its item marked.
    void changeTabInPreferencesTabView(int tag);
    /// Shows a pane without the check (the start-up's choice of the first pane).
    void selectPane(int tag);
    int currentPane() const;

    /// The manual check button is shown exactly while automatic checking is off.
    void windowDidBecomeKey();
    /// The check of the listed routing rows.
    void buttonClickedManuallyValidatePrefixToPDFAssignments();
    /// The routing search: a LIKE pattern on the whole prefix; the selection is cleared.
    void prefixSearchTextChanged(const QString& text);
    /// The rows the routing search leaves, for the check.
    RowFilter rowFilter() const;
    /// Double-click on a listed routing row: with Ctrl show the file in its folder, else open it.
    void prefixTableDoubleClickAction(int listedRow, Qt::KeyboardModifiers modifiers);

    TLNSTableView* prefixTableView() const;
    TLNSTableView* autoMatchTableView() const;
    RoutingTableModel* routingModel() const { return m_routing.get(); }
    PrefixFilterModel* routingFilter() const { return m_filter.get(); }
    MatchingTableModel* matchingModel() const { return m_matching.get(); }
    BehavioursPane* behavioursPane() const { return m_behaviours; }
    Ui::Preferences& ui() const { return *m_ui; }

    /// Copy: the selected rows of either table as row text on the clipboard; nothing without a selection.
    void copySelectedTableItemsToClipboard(TLNSTableView* view);
    /// Paste: into the auto-match table only; the routing table takes no paste.
    void pasteItemsOnClipboardIntoTable(TLNSTableView* view);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void wireTables();
    void wireButtons();
    void removeSelectedRows(TLNSTableView* view);
    void showCheckResult();
    void showWriteFailure();
    QList<int> selectedSourceRows(TLNSTableView* view) const;

    Defaults& m_defaults;
    RoutingCheck& m_check;
    PreferencesServices m_services;
    SearchScope m_scope;
    std::unique_ptr<Ui::Preferences> m_ui;
    std::unique_ptr<RoutingTableModel> m_routing;
    std::unique_ptr<PrefixFilterModel> m_filter;
    std::unique_ptr<MatchingTableModel> m_matching;
    BehavioursPane* m_behaviours = nullptr;
};

} // namespace tolvo
