// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The document's search results (searchResultsArray) as a table model, and the
// filter of the pane's three segments over it.

#include "search/MySearchResult.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>

#include <vector>

namespace tolvo {

/// The results in the order the pane shows them: TOC and annotation rows first, then one
/// "Text" row per page in page order. Column 0 is the description, column 1 the page label
/// (a TOC row's extended page label shown as its plain label).
class SearchResultsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { DescriptionColumn = 0, PageLabelColumn = 1, ColumnCount = 2 };
    enum Role {
        ResultTypeRole = Qt::UserRole + 1, ///< QString
        PageIndexRole, ///< quint64
        CountRole, ///< quint64, resultCountOnPage
        RawPageLabelRole, ///< QString, the pageLabel field as stored
    };

    explicit SearchResultsModel(QObject* parent = nullptr);

    const std::vector<MySearchResult>& searchResultsArray() const { return m_results; }
    /// The result of a row of this model; nothing outside it.
    const MySearchResult* resultAt(int row) const;
    /// The result that an index of this model or of a proxy over it shows.
    static const MySearchResult* resultForIndex(const QModelIndex& index);

    /// Empties the results.
    void clear();
    /// Adds TOC or annotation rows after the rows of that kind and before the text rows.
    void addResults(std::vector<MySearchResult> results);
    /// Records count text matches on one page (didMatchString count times): the page's row gains
    /// them, or a new row is made in page order with first as its selection. The description
    /// names the typed query.
    void didMatchPage(int pageIndex, const QString& pageLabel, const QString& typed, const pdf::TextSelection& first,
        quint64 count = 1);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    /// The first text row at or after which the page's row stands.
    size_t textRowFor(quint64 pageIndex) const;

    std::vector<MySearchResult> m_results;
    size_t m_firstTextRow = 0; ///< rows before this are TOC and annotation rows
};

/// Which of the three segments are selected: 0 text, 1 annotations, 2 TOC.
struct SearchSegments {
    bool text = true;
    bool annotations = true;
    bool toc = true;
};

/// Whether a result type passes the filter of the selected segments: "Text" with text, "Note",
/// "Highlight", "Underline" and "Strikeout" with annotations, "TOC" with TOC. Nothing passes
/// when no segment is selected, and the other-markup type "" never does.
bool searchFilterAccepts(const QString& resultType, const SearchSegments& segments);

/// The array controller's filter predicate over a SearchResultsModel: hides rows, keeps them.
class SearchResultsFilter : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit SearchResultsFilter(QObject* parent = nullptr);

    const SearchSegments& segments() const { return m_segments; }
    void setSegments(const SearchSegments& segments);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    SearchSegments m_segments;
};

} // namespace tolvo
