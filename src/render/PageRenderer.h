// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Draws pages on worker threads, never on the caller's thread. Each worker owns
// its own copy of the document (Document::reopen(), made on the worker), so no
// Document is used by two threads.
//
// The owner states which pages it wants, in priority order, and states it anew
// whenever that changes; requests that are no longer wanted are dropped from
// the queue, and drawings in progress that are no longer wanted are aborted.
// A night page is turned on the worker too (NightMode.h), after reading where
// its images are when they are to be kept.

#include "pdf/PdfDocument.h"
#include "render/NightMode.h"

#include <QImage>
#include <QObject>

#include <memory>
#include <vector>

namespace tolvo::pageview {

/// One page to draw at a scale in device pixels per point, in a style.
struct RenderRequest {
    int pageIndex = -1;
    double scale = 1;
    PageStyle style = PageStyle::Day;
};

class PageRenderer : public QObject {
    Q_OBJECT
public:
    explicit PageRenderer(QObject* parent = nullptr);
    ~PageRenderer() override;

    /// Stops the workers of the previous document and starts the first of `workers` over a copy of
    /// this one (nullptr: none); startAllWorkers() starts the others. Each worker opens its copy
    /// itself, so document must live until the next setDocument() or the renderer's end. A copy
    /// being opened elsewhere already (firstCopy) serves the first worker instead.
    void setDocument(const pdf::Document* document, int workers = 2, pdf::DocumentCopySource firstCopy = {});
    /// Starts the workers that setDocument() left for later (opening a copy takes a few
    /// milliseconds of the machine, which the first page need not share).
    void startAllWorkers();
    int workerCount() const;

    /// Replaces the wanted pages, first the most urgent.
    void setWanted(const std::vector<RenderRequest>& requests);

    /// How many drawings were aborted because they were no longer wanted (for tests and benchmarks).
    int abortedCount() const;

signals:
    /// A page was drawn in a style; a null image means it could not be drawn. Delivered on the
    /// owner's thread.
    void pageRendered(int pageIndex, double scale, tolvo::PageStyle style, const QImage& image);

private:
    struct Shared;
    void startWorker(
        const std::shared_ptr<Shared>& shared, const pdf::Document* document, pdf::DocumentCopySource copy = {});
    void stopWorkers();

    std::shared_ptr<Shared> m_shared;
    const pdf::Document* m_document = nullptr;
    int m_workersWanted = 0;
};

} // namespace tolvo::pageview
