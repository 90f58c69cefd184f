// SPDX-License-Identifier: GPL-3.0-or-later
#include "preferences/PrefixFilterModel.h"

#include "routing/PrefixTableText.h"

namespace tolvo {

void PrefixFilterModel::setPattern(const QString& pattern)
{
    if (pattern == m_pattern)
        return;
    m_pattern = pattern;
    invalidateRowsFilter();
}

RowFilter PrefixFilterModel::rowFilter() const
{
    if (m_pattern.isEmpty())
        return {};
    return [pattern = m_pattern](const QString& prefix, const QString&) { return matchesLikePattern(prefix, pattern); };
}

bool PrefixFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    const QModelIndex key = sourceModel()->index(sourceRow, 0, sourceParent);
    return matchesLikePattern(key.data(Qt::DisplayRole).toString(), m_pattern);
}

} // namespace tolvo
