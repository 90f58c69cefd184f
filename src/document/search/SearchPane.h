// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The search pane of a document window: search field, the three-segment filter,
// progress indicator and results table over one DocumentSearch.

#include "pdf/PdfDocument.h"
#include "search/DocumentSearch.h"

#include <QPointer>
#include <QWidget>

class QLabel;
class QLineEdit;
class QProgressBar;
class QToolButton;

namespace tolvo {

class TLNSTableView;

/// The pane. It runs the search as the field's text changes and tells the window what to show
/// when a row is chosen; the window moves its page view.
class SearchPane : public QWidget {
    Q_OBJECT
public:
    /// The pane shows search and does nothing once search is gone. All three segments start selected
    /// and the filter applied.
    explicit SearchPane(DocumentSearch& search, QWidget* parent = nullptr);

    QLineEdit* searchField() const { return m_field; }
    /// Segment 0 text, 1 annotations, 2 TOC (searchOptionsTAO); any combination may be selected.
    QToolButton* searchOptionsSegment(int segment) const;
    QProgressBar* searchProgressIndicator() const { return m_progress; }
    /// "Indexing N%" while the find writes the PDF's text index.
    QLabel* indexProgressLabel() const { return m_indexing; }
    TLNSTableView* searchResultsTableView() const { return m_table; }
    DocumentSearch* search() const { return m_search; }

    /// Selects or deselects a segment and applies the filter.
    void setSegmentSelected(int segment, bool selected);
    bool isSegmentSelected(int segment) const;

public slots:
    /// Runs a search for the field's text.
    void searchTextChanged();
    /// Applies the selected segments as the filter and deselects every row.
    void searchResultsFilterChanged();
    /// Shows the first selected row: its match for a text row, its page label otherwise.
    void tableViewSelectionDidChange();
    /// The segmented control's own action; the filter works through searchResultsFilterChanged.
    void searchTAOChanged() { }

signals:
    /// A text row was chosen: select this (its page's first match) and scroll it into view.
    void showTextSelection(const tolvo::pdf::TextSelection& selection);
    /// A TOC or annotation row was chosen: go there with moveToPageLabel (a TOC row gives the
    /// item's extended page label).
    void showPageLabel(const QString& pageLabel);

private:
    void setFinding(bool finding);
    void setIndexProgress(int percent);

    QPointer<DocumentSearch> m_search;
    QLineEdit* m_field;
    QToolButton* m_segments[3];
    QProgressBar* m_progress;
    QLabel* m_indexing;
    TLNSTableView* m_table;
};

} // namespace tolvo
