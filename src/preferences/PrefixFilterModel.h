// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The routing table's search: rows whose whole prefix matches a LIKE pattern.

#include "routing/RoutingTable.h"

#include <QSortFilterProxyModel>

namespace tolvo {

/// Keeps the rows whose key (column 0) matches the pattern as a whole ("*" any run,
/// "?" one character, case-sensitive); an empty pattern keeps every row.
class PrefixFilterModel : public QSortFilterProxyModel {
    Q_OBJECT
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    void setPattern(const QString& pattern);
    const QString& pattern() const { return m_pattern; }

    /// The same choice for the routing check, which looks only at the listed rows.
    RowFilter rowFilter() const;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    QString m_pattern;
};

} // namespace tolvo
