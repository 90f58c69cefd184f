// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// File > Search All PDFs...: one query over the text of every PDF of the routing
// table, one row a page with matches; choosing a row follows its page link.

#include "search/LibrarySearch.h"

#include <QDialog>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

class QLabel;
class QLineEdit;
class QTableWidget;

namespace tolvo {

class Defaults;

class LibrarySearchDialog : public QDialog {
    Q_OBJECT
public:
    /// openLink follows a tolvo:// link as the window's links are followed.
    LibrarySearchDialog(
        Defaults& defaults, std::function<void(const QString& url)> openLink, QWidget* parent = nullptr);
    /// Ends a running search (within a page read) and waits for it.
    ~LibrarySearchDialog() override;

    QLineEdit* queryField() const { return m_field; }
    QTableWidget* resultsTable() const { return m_table; }
    QLabel* statusLabel() const { return m_status; }
    bool isSearching() const { return m_worker.joinable() && !m_done; }

public slots:
    /// Searches every routed PDF for the field's text, replacing the rows.
    void search();
    /// Follows the link of a row.
    void openRow(int row);

signals:
    /// The search ran to its end.
    void finished();

private:
    void stop();

    Defaults& m_defaults;
    std::function<void(const QString&)> m_openLink;
    QLineEdit* m_field;
    QLabel* m_status;
    QTableWidget* m_table;
    std::thread m_worker;
    std::shared_ptr<std::atomic<bool>> m_cancelled;
    quint64 m_generation = 0;
    bool m_done = true;
};

} // namespace tolvo
