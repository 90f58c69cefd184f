// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A document's outline tree and page-label map, read on a worker from a copy of
// the PDF. Both take a big manual more than a second, and a hostile file several
// (a quarter of a million outline entries, a hundred thousand label ranges); a
// window that made them on its own thread would not answer meanwhile.

#include "outline/OutlineTree.h"
#include "pdf/PageLabelIndex.h"

#include <QObject>

#include <future>
#include <memory>
#include <thread>

namespace tolvo {

namespace pdf {
class Document;
}

/// What the loader reads: the outline with its heights and buckets, and the label map.
struct DocumentStructure {
    OutlineTree outline;
    PageLabelIndex labels;
};

/// The outline and labels of one document, read once in the background.
class StructureLoader : public QObject {
    Q_OBJECT
public:
    explicit StructureLoader(QObject* parent = nullptr);
    /// Waits for a read still running; an outline read is bounded (see the outline limits).
    ~StructureLoader() override;

    /// Starts reading a copy of document (reopen(), made on the worker); document must live until
    /// take() or the loader's end. When the file can no longer be read, take() reads the structure
    /// from document itself. Only the first call starts anything.
    void start(const pdf::Document& document);
    bool isStarted() const { return m_started; }
    /// The structure, waiting for the worker when it is not done yet; once only, nothing after.
    std::unique_ptr<DocumentStructure> take();

signals:
    /// The structure can be taken without waiting. Queued to the loader's thread; not emitted after take().
    void ready();

private:
    bool m_started = false;
    bool m_taken = false;
    const pdf::Document* m_document = nullptr;
    std::future<std::unique_ptr<DocumentStructure>> m_result;
    std::thread m_thread;
};

/// Reads the structure of document on the calling thread.
std::unique_ptr<DocumentStructure> readDocumentStructure(const pdf::Document& document);

} // namespace tolvo
