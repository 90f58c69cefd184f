// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/BenchmarkOpen.h"

#include "document/DocumentController.h"
#include "document/MyDocument.h"
#include "pageview/LabelPDFView.h"
#include "settings/StartupTrace.h"

#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace tolvo {

void quitWhenFirstPageShown(DocumentController& documents)
{
    QObject::connect(
        &documents, &DocumentController::documentOpened, &documents,
        [](MyDocument* document) {
            if (!document->pdfview())
                return;
            QObject::connect(document->pdfview(), &pageview::PageView::visiblePagesDrawn, [] {
                startupStep("first page shown");
                std::printf("%.0f\n", millisecondsSinceProcessStart());
                std::fflush(stdout);
                // Nothing of a benchmark run is worth keeping, and tearing the window
                // down would only lengthen the run as timed from outside.
                std::_Exit(0);
            });
        },
        Qt::SingleShotConnection);
    QTimer::singleShot(60000, &documents, [] {
        std::fprintf(stderr, "tolvo: the first page was not shown within a minute\n");
        std::fflush(stderr);
        std::_Exit(1);
    });
}

} // namespace tolvo
