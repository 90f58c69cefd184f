// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading link targets against one PDF's page labels and outline, for the commands that follow links.

#include "links/LinkGrammar.h"

#include <QHash>
#include <QStringList>

namespace tolvo {
class OutlineTree;
}

namespace tolvo::cli {

/// Reads targets the way a document window follows them: pages by exact label (the earliest page
/// of a shared label), title paths through the outline's suffix matching. tree must outlive it.
class TargetReader {
public:
    TargetReader(const QStringList& pageLabels, const OutlineTree& tree);
    // The readers hold on to this object's label table.
    TargetReader(const TargetReader&) = delete;
    TargetReader& operator=(const TargetReader&) = delete;

    TargetReading read(const QString& target) const { return readTarget(target, m_lookup, m_matcher); }
    /// The page of a label; for reading an outline entry's own page label.
    const PageLabelLookup& lookup() const { return m_lookup; }
    /// The index in the tree's items of the first entry a title path matches.
    const OutlineMatcher& matcher() const { return m_matcher; }

private:
    QHash<QString, int> m_pageOfLabel;
    PageLabelLookup m_lookup;
    OutlineMatcher m_matcher;
};

} // namespace tolvo::cli
