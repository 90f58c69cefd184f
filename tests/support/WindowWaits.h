// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Waits on what a document window does in its own time: the first positioning of a new window
// and the animations of its split views. Tests wait on these states, never for a fixed time, so
// they neither flake on a busy machine nor idle on a quiet one.

#include "document/MyDocument.h"
#include "widgets/TLSplitView.h"

#include <QCoreApplication>
#include <QWidget>
#include <QtTest>

namespace tolvo::test {

/// True once the new window has moved to its first page, after which only the test moves it.
/// The positioning is done at once rather than after its delay: the tests open hundreds of windows.
inline bool waitForFirstPositioning(MyDocument* document, int timeoutMs = 10000)
{
    document->positionAtFirstPageNow();
    return QTest::qWaitFor([document] { return document->isFirstPositioningDone(); }, timeoutMs);
}

/// True once no split view under root animates; what the animations' ends queued has run.
inline bool waitForSplitViews(const QWidget* root, int timeoutMs = 10000)
{
    const bool still = QTest::qWaitFor(
        [root] {
            const QList<TLSplitView*> views = root->findChildren<TLSplitView*>();
            return std::none_of(views.begin(), views.end(), [](TLSplitView* v) { return v->isAnimationRunning(); });
        },
        timeoutMs);
    QCoreApplication::processEvents();
    return still;
}

} // namespace tolvo::test
