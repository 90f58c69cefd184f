// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Waiting for a page view to show its pages, for the benchmarks that drive real views.
#include "pageview/LabelPDFView.h"

#include <QEventLoop>
#include <QTimer>

// Runs the event loop until the view has painted every visible page from its image.
inline bool waitDrawn(tolvo::pageview::LabelPDFView& view, int timeoutMs = 60000)
{
    if (view.visiblePagesReady()) {
        view.viewport()->repaint();
        return true;
    }
    QEventLoop loop;
    QObject::connect(&view, &tolvo::pageview::LabelPDFView::visiblePagesDrawn, &loop, &QEventLoop::quit);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return view.visiblePagesReady();
}
