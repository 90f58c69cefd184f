// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/SearchResultsModel.h"

#include "links/LinkGrammar.h"

#include <QAbstractProxyModel>

#include <algorithm>

namespace tolvo {

SearchResultsModel::SearchResultsModel(QObject* parent)
    : QAbstractTableModel(parent)
{
}

const MySearchResult* SearchResultsModel::resultAt(int row) const
{
    return row >= 0 && size_t(row) < m_results.size() ? &m_results[size_t(row)] : nullptr;
}

const MySearchResult* SearchResultsModel::resultForIndex(const QModelIndex& index)
{
    QModelIndex at = index;
    while (at.isValid()) {
        if (const auto* results = qobject_cast<const SearchResultsModel*>(at.model()))
            return results->resultAt(at.row());
        const auto* proxy = qobject_cast<const QAbstractProxyModel*>(at.model());
        if (!proxy)
            return nullptr;
        at = proxy->mapToSource(at);
    }
    return nullptr;
}

void SearchResultsModel::clear()
{
    if (m_results.empty())
        return;
    beginResetModel();
    m_results.clear();
    m_firstTextRow = 0;
    endResetModel();
}

void SearchResultsModel::addResults(std::vector<MySearchResult> results)
{
    if (results.empty())
        return;
    const int first = int(m_firstTextRow);
    beginInsertRows(QModelIndex(), first, first + int(results.size()) - 1);
    m_results.insert(m_results.begin() + qsizetype(m_firstTextRow), std::make_move_iterator(results.begin()),
        std::make_move_iterator(results.end()));
    m_firstTextRow += results.size();
    endInsertRows();
}

size_t SearchResultsModel::textRowFor(quint64 pageIndex) const
{
    const auto begin = m_results.begin() + qsizetype(m_firstTextRow);
    const auto at = std::lower_bound(
        begin, m_results.end(), pageIndex, [](const MySearchResult& r, quint64 page) { return r.pageIndex < page; });
    return size_t(at - m_results.begin());
}

void SearchResultsModel::didMatchPage(
    int pageIndex, const QString& pageLabel, const QString& typed, const pdf::TextSelection& first, quint64 count)
{
    if (count == 0 || pageIndex < 0)
        return;
    // One row per page, kept by its page rather than its label: pages that share a label keep rows of their own.
    const quint64 page = quint64(pageIndex);
    const size_t row = textRowFor(page);
    if (row < m_results.size() && m_results[row].pageIndex == page) {
        MySearchResult& result = m_results[row];
        result.resultCountOnPage += count;
        result.resultDescription = textResultDescription(typed, result.resultCountOnPage, result.pageLabel);
        emit dataChanged(index(int(row), 0), index(int(row), ColumnCount - 1));
        return;
    }
    MySearchResult result;
    result.resultType = QLatin1String(kResultTypeText);
    result.pageLabel = pageLabel;
    result.pageIndex = page;
    result.resultCountOnPage = count;
    result.resultDescription = textResultDescription(typed, count, pageLabel);
    result.resultMoreInfo = first;
    beginInsertRows(QModelIndex(), int(row), int(row));
    m_results.insert(m_results.begin() + qsizetype(row), std::move(result));
    endInsertRows();
}

int SearchResultsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_results.size());
}

int SearchResultsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant SearchResultsModel::data(const QModelIndex& index, int role) const
{
    const MySearchResult* result = index.isValid() ? resultAt(index.row()) : nullptr;
    if (!result)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        if (index.column() == DescriptionColumn)
            return result->resultDescription;
        return PageLabelFromExtendedPageLabel(result->pageLabel).value_or(QString());
    case ResultTypeRole:
        return result->resultType;
    case PageIndexRole:
        return result->pageIndex;
    case CountRole:
        return result->resultCountOnPage;
    case RawPageLabelRole:
        return result->pageLabel;
    default:
        return QVariant();
    }
}

QVariant SearchResultsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    switch (section) {
    case DescriptionColumn:
        return tr("Result");
    case PageLabelColumn:
        return tr("Page");
    default:
        return QVariant();
    }
}

bool searchFilterAccepts(const QString& type, const SearchSegments& segments)
{
    if (type == QLatin1String(kResultTypeText))
        return segments.text;
    if (type == QLatin1String(kResultTypeTOC))
        return segments.toc;
    if (type == QLatin1String("Note") || type == QLatin1String("Highlight") || type == QLatin1String("Underline")
        || type == QLatin1String("Strikeout"))
        return segments.annotations;
    return false;
}

SearchResultsFilter::SearchResultsFilter(QObject* parent)
    : QSortFilterProxyModel(parent)
{
}

void SearchResultsFilter::setSegments(const SearchSegments& segments)
{
    m_segments = segments;
    invalidateFilter();
}

bool SearchResultsFilter::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    const QModelIndex index = sourceModel()->index(sourceRow, 0, sourceParent);
    return searchFilterAccepts(index.data(SearchResultsModel::ResultTypeRole).toString(), m_segments);
}

} // namespace tolvo
