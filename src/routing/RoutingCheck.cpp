// SPDX-License-Identifier: GPL-3.0-or-later
#include "routing/RoutingCheck.h"

#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"

namespace tolvo {

RoutingCheck::RoutingCheck(Defaults& defaults, SearchScope scope)
    : m_defaults(defaults)
    , m_scope(std::move(scope))
{
}

void RoutingCheck::validateRoutingDictionary(const RowFilter& filter)
{
    m_invalidPrefixList.clear();
    m_invalidPathsList.clear();
    RoutingTable routing(m_defaults, m_scope);
    for (const RoutingTable::Entry& e : routing.resolveEntries(filter)) {
        if (e.resolved.found())
            continue;
        m_invalidPrefixList.append(e.prefix);
        m_invalidPathsList.append(e.resolved.recordedPath);
    }
    if (onChecked)
        onChecked();
}

bool RoutingCheck::validateIfAutomatic(const RowFilter& filter)
{
    if (!m_defaults.boolForKey(QString::fromLatin1(keys::kAutomaticallyValidate)))
        return false;
    validateRoutingDictionary(filter);
    return true;
}

} // namespace tolvo
