// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Gathers a document's annotation list off the main thread: reading the
// annotations of a manual full of links takes long enough to hold up a window.

#include "search/AnnotationRecord.h"

#include <QObject>

#include <atomic>
#include <memory>
#include <thread>

namespace tolvo {

/// Walks every page's annotations on a worker thread with a Document of its own and hands the
/// finished list over on the main thread. Destroying the collector stops the walk at the next
/// annotation and waits only for that.
class AnnotationCollector : public QObject {
    Q_OBJECT
public:
    explicit AnnotationCollector(QObject* parent = nullptr);
    ~AnnotationCollector() override;

    /// Starts the walk over a copy of document (reopen(), made here on the calling thread, since
    /// document belongs to it). False when the file can no longer be read: then ready() follows
    /// with an empty list. Only the first call starts anything.
    bool start(const pdf::Document& document);
    /// Starts the walk over a document that the collector's thread takes for its own.
    bool start(std::unique_ptr<pdf::Document> own);

    /// The list, once ready() was emitted; nothing before.
    std::shared_ptr<const AnnotationList> list() const { return m_list; }
    bool isReady() const { return m_list != nullptr; }

    /// hidePopupAnnotations: the pages and rectangles of every pop-up annotation, for a page view
    /// that draws annotations itself to leave out. Empty before the list is ready.
    std::vector<PopupAnnotation> popupAnnotations() const;

signals:
    /// The list is complete (main thread); emitted once.
    void ready(std::shared_ptr<const tolvo::AnnotationList> list);

private:
    void deliver(std::shared_ptr<const AnnotationList> list);

    std::shared_ptr<std::atomic<bool>> m_stop;
    std::thread m_thread;
    std::shared_ptr<const AnnotationList> m_list;
    bool m_started = false;
};

} // namespace tolvo
