#pragma once
// Draws pages on worker threads, never on the caller's thread. Each worker owns
// its own copy of the document (Document::reopen()), so no Document is shared
// between threads.
//
// The owner states which pages it wants, in priority order, and states it anew
// whenever that changes; requests that are no longer wanted are dropped from
// the queue, and drawings in progress that are no longer wanted are aborted.

#include "document/pdf/PdfDocument.h"

#include <QImage>
#include <QObject>

#include <memory>
#include <vector>

namespace tolvo::pageview {

/// One page to draw at a scale in device pixels per point.
struct RenderRequest {
    int pageIndex = -1;
    double scale = 1;
    /// A page on screen. While one waits or is being drawn, no worker starts a page that is not.
    bool urgent = true;
};

class PageRenderer : public QObject {
    Q_OBJECT
public:
    explicit PageRenderer(QObject* parent = nullptr);
    ~PageRenderer() override;

    /// Stops the workers of the previous document and starts `workers` over copies of this one
    /// (nullptr: none). The copies are made on the caller's thread, the first at once and the
    /// others at its next turn of the event loop; drawing happens on the workers only.
    void setDocument(const pdf::Document* document, int workers = 2);
    int workerCount() const;

    /// Replaces the wanted pages, first the most urgent.
    void setWanted(const std::vector<RenderRequest>& requests);

    /// How many drawings were aborted because they were no longer wanted (for tests and benchmarks).
    int abortedCount() const;

signals:
    /// A page was drawn; a null image means it could not be drawn. Delivered on the owner's thread.
    void pageRendered(int pageIndex, double scale, const QImage& image);

private:
    struct Shared;
    void startWorker(const std::shared_ptr<Shared>& shared, const pdf::Document* document);
    void stopWorkers();

    std::shared_ptr<Shared> m_shared;
};

} // namespace tolvo::pageview
