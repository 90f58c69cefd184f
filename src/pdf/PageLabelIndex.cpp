// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf/PageLabelIndex.h"

namespace tolvo {

PageLabelIndex::PageLabelIndex(const QStringList& labels)
    : m_labels(labels)
{
    m_firstPage.reserve(labels.size());
    m_lastPage.reserve(labels.size());
    for (int i = 0; i < int(labels.size()); ++i) {
        m_firstPage.insert(labels[i], std::min(i, m_firstPage.value(labels[i], i)));
        m_lastPage.insert(labels[i], i);
    }
}

std::optional<int> PageLabelIndex::pageForLabel(const QString& label) const
{
    const auto it = m_firstPage.constFind(label);
    if (it == m_firstPage.constEnd())
        return std::nullopt;
    return *it;
}

} // namespace tolvo
