// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The check of the routing table: which prefixes no longer reach their PDF.
// It marks; the user repairs (by choosing a prefix again, or removing the entry).
// A PDF found moved counts as reached, and its entry learns the new place.

#include "routing/MovedFileSearch.h"
#include "routing/RoutingTable.h"

#include <QStringList>

#include <functional>

namespace tolvo {

class Defaults;

class RoutingCheck {
public:
    explicit RoutingCheck(Defaults& defaults, SearchScope scope = SearchScope::standard());

    /// Checks the entries the filter keeps (the preference table's search), or all.
    /// Replaces both lists; then calls onChecked.
    void validateRoutingDictionary(const RowFilter& filter = {});
    /// The check at launch, activation and the first preference pane: only while
    /// "TolvoAutomaticallyValidatePrefixToPDFAssignments" is on. True when it ran.
    bool validateIfAutomatic(const RowFilter& filter = {});

    /// The prefixes of the last check that reach no PDF, and their paths (same order).
    const QStringList& invalidPrefixList() const { return m_invalidPrefixList; }
    const QStringList& invalidPathsList() const { return m_invalidPathsList; }

    /// Called after every check, to redraw the prefix table.
    std::function<void()> onChecked;

private:
    Defaults& m_defaults;
    SearchScope m_scope;
    QStringList m_invalidPrefixList;
    QStringList m_invalidPathsList;
};

} // namespace tolvo
