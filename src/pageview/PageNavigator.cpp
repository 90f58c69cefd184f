// SPDX-License-Identifier: GPL-3.0-or-later
#include "pageview/PageNavigator.h"

namespace tolvo::pageview {

// Without a limit a long reading session would grow the list without end.
constexpr qsizetype kMaxPlaces = 1000;

PageNavigator::PageNavigator(QObject* parent)
    : QObject(parent)
{
}

void PageNavigator::jump(const PageLocation& to)
{
    if (m_index >= 0 && m_places[m_index] == to)
        return;
    const bool hadBack = backAvailable();
    const bool hadForward = forwardAvailable();
    m_places.resize(m_index + 1);
    m_places.append(to);
    if (m_places.size() > kMaxPlaces)
        m_places.removeFirst();
    m_index = m_places.size() - 1;
    changed(hadBack, hadForward);
}

void PageNavigator::update(const PageLocation& here)
{
    if (m_index < 0) {
        m_places.append(here);
        m_index = 0;
        emit currentLocationChanged();
        return;
    }
    if (m_places[m_index] == here)
        return;
    m_places[m_index] = here;
    emit currentLocationChanged();
}

std::optional<PageLocation> PageNavigator::back()
{
    if (!backAvailable())
        return std::nullopt;
    const bool hadForward = forwardAvailable();
    --m_index;
    changed(true, hadForward);
    return m_places[m_index];
}

std::optional<PageLocation> PageNavigator::forward()
{
    if (!forwardAvailable())
        return std::nullopt;
    const bool hadBack = backAvailable();
    ++m_index;
    changed(hadBack, true);
    return m_places[m_index];
}

void PageNavigator::clear()
{
    const bool hadBack = backAvailable();
    const bool hadForward = forwardAvailable();
    const bool hadPlace = m_index >= 0;
    m_places.clear();
    m_index = -1;
    if (hadBack)
        emit backAvailableChanged(false);
    if (hadForward)
        emit forwardAvailableChanged(false);
    if (hadPlace)
        emit currentLocationChanged();
}

std::optional<PageLocation> PageNavigator::currentLocation() const
{
    if (m_index < 0)
        return std::nullopt;
    return m_places[m_index];
}

void PageNavigator::changed(bool hadBack, bool hadForward)
{
    if (hadBack != backAvailable())
        emit backAvailableChanged(backAvailable());
    if (hadForward != forwardAvailable())
        emit forwardAvailableChanged(forwardAvailable());
    emit currentLocationChanged();
}

} // namespace tolvo::pageview
