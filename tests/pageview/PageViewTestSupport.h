// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Mouse and wait helpers shared by the page view tests.

#include "pageview/PageView.h"

#include <QApplication>
#include <QMouseEvent>
#include <QtTest>

namespace tolvo::test {

inline void sendMouse(QWidget* target, QEvent::Type type, QPointF pos, Qt::MouseButton button, Qt::MouseButtons buttons,
    Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QMouseEvent event(type, pos, target->mapToGlobal(pos), button, buttons, modifiers);
    QApplication::sendEvent(target, &event);
}

/// A press at from, moves to to, and a release there, on the view's viewport.
inline void drag(pageview::PageView& view, QPointF from, QPointF to)
{
    QWidget* vp = view.viewport();
    sendMouse(vp, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    for (int i = 1; i <= 4; ++i)
        sendMouse(vp, QEvent::MouseMove, from + (to - from) * (i / 4.0), Qt::NoButton, Qt::LeftButton);
    sendMouse(vp, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

inline void click(pageview::PageView& view, QPointF at, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget* vp = view.viewport();
    sendMouse(vp, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton, modifiers);
    sendMouse(vp, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton, modifiers);
}

inline void doubleClick(pageview::PageView& view, QPointF at)
{
    QWidget* vp = view.viewport();
    click(view, at);
    sendMouse(vp, QEvent::MouseButtonDblClick, at, Qt::LeftButton, Qt::LeftButton);
    sendMouse(vp, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
}

/// Waits until every visible page has been drawn from its finished image.
inline bool waitForPages(pageview::PageView& view, int timeoutMs = 10000)
{
    return QTest::qWaitFor([&view] { return view.visiblePagesReady(); }, timeoutMs);
}

} // namespace tolvo::test
