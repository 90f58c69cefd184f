// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/PageAhead.h"

#include <utility>

namespace tolvo::pageview {

bool PageAhead::start(const Plan& plan)
{
    std::lock_guard lock(m_mutex);
    if (m_state != State::Planning)
        return false;
    m_plan = plan;
    m_state = State::Drawing;
    return true;
}

bool PageAhead::dropped() const
{
    std::lock_guard lock(m_mutex);
    return m_state == State::Dropped;
}

void PageAhead::finish(const QImage& image)
{
    std::lock_guard lock(m_mutex);
    if (m_state == State::Dropped)
        return;
    m_image = image;
    m_state = image.isNull() ? State::Dropped : State::Drawn;
    // Called under the lock, so that a view dropping the page meanwhile waits until the call
    // is made rather than going away while it is.
    if (m_done)
        std::exchange(m_done, nullptr)();
}

PageAhead::State PageAhead::state() const
{
    std::lock_guard lock(m_mutex);
    return m_state;
}

std::optional<PageAhead::Plan> PageAhead::plan() const
{
    std::lock_guard lock(m_mutex);
    return m_plan;
}

QImage PageAhead::take()
{
    std::lock_guard lock(m_mutex);
    return std::exchange(m_image, QImage());
}

void PageAhead::drop()
{
    std::lock_guard lock(m_mutex);
    m_state = State::Dropped;
    m_image = QImage();
    m_done = nullptr;
}

void PageAhead::whenDone(std::function<void()> callback)
{
    std::unique_lock lock(m_mutex);
    if (m_state == State::Planning || m_state == State::Drawing) {
        m_done = std::move(callback);
        return;
    }
    lock.unlock();
    if (callback)
        callback();
}

} // namespace tolvo::pageview
