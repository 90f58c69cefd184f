// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A page drawn ahead of the view that will show it: while the window is still being made, a
// thread plans the drawing at the scale the view is expected to have and draws it. The view,
// once it knows its real scale and style, takes the image when they are the same and drops
// it otherwise, which ends a drawing still under way. Shared by the two threads; either may
// end first.

#include "render/NightMode.h"

#include <QImage>

#include <functional>
#include <mutex>
#include <optional>

namespace tolvo::pageview {

class PageAhead {
public:
    /// What is drawn: a page at a scale in device pixels per point, in a style.
    struct Plan {
        int pageIndex = 0;
        double scale = 1;
        PageStyle style = PageStyle::Day;
    };
    enum class State {
        Planning, ///< the drawing thread has not said yet what it draws
        Drawing,
        Drawn,
        Dropped, ///< by the view, or by the drawing thread when it could not plan or draw
    };

    // The drawing thread's side.
    /// Says what will be drawn; false when the view has dropped the page already.
    bool start(const Plan& plan);
    /// Whether the view no longer wants the drawing (asked while drawing).
    bool dropped() const;
    /// Hands over the drawn page (a null image: it could not be drawn, which drops it).
    void finish(const QImage& image);

    // The view's side.
    State state() const;
    std::optional<Plan> plan() const;
    /// The drawn page, once; null before it is drawn and after it was taken or dropped.
    QImage take();
    /// Not wanted: the drawing ends early and its image is let go.
    void drop();
    /// Called once the page is drawn (or dropped by the drawing thread), on that thread, or at
    /// once on this one when it is already; replaces any earlier callback. drop() clears it, so
    /// that it is never called after the view dropped the page.
    void whenDone(std::function<void()> callback);

private:
    mutable std::mutex m_mutex;
    State m_state = State::Planning;
    std::optional<Plan> m_plan;
    QImage m_image;
    std::function<void()> m_done;
};

} // namespace tolvo::pageview
