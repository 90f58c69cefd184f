// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "Restore Earlier Version...": the kept versions of one notes area, with a preview of each.

#include <QDialog>

class QDialogButtonBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTextEdit;

namespace tolvo {

class NotesStore;

/// Lists the versions of a notes area by the time they were kept, newest first, shows the one selected
/// read-only, and restores it into every window (the current text is kept as a version first).
class NotesHistoryDialog : public QDialog {
    Q_OBJECT
public:
    NotesHistoryDialog(NotesStore& store, int area, QWidget* parent = nullptr);

    QListWidget* versionList() const { return m_list; }
    QTextEdit* preview() const { return m_preview; }
    QPushButton* restoreButton() const { return m_restore; }
    /// What the dialog says about versions it skipped or could not restore; empty when all is well.
    QString problemText() const;

    /// Restores the selected version; closes the dialog when done.
    void restoreSelected();

private:
    void showSelected();

    NotesStore& m_store;
    int m_area;
    QListWidget* m_list;
    QTextEdit* m_preview;
    QLabel* m_problem;
    QPushButton* m_restore;
};

} // namespace tolvo
