// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/TargetReader.h"

#include "outline/OutlineTree.h"

namespace tolvo::cli {

TargetReader::TargetReader(const QStringList& pageLabels, const OutlineTree& tree)
{
    for (int i = int(pageLabels.size()) - 1; i >= 0; --i)
        m_pageOfLabel.insert(pageLabels[i], i);
    m_lookup = [this](const QString& label) -> std::optional<int> {
        const auto found = m_pageOfLabel.constFind(label);
        return found == m_pageOfLabel.cend() ? std::nullopt : std::optional<int>(*found);
    };
    m_matcher = [&tree](const QStringList& components) -> std::optional<int> {
        const std::optional<OutlineTree::Items> matches = tree.moiMatchingURLSuffix(components);
        if (!matches || matches->empty())
            return std::nullopt;
        return tree.indexOf(matches->front());
    };
}

} // namespace tolvo::cli
