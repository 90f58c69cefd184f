// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf/StructureLoader.h"

#include "pdf/OutlineFromPdf.h"
#include "pdf/PdfDocument.h"
#include "settings/HandOver.h"

#include <QMetaObject>
#include <QPointer>

namespace tolvo {

std::unique_ptr<DocumentStructure> readDocumentStructure(const pdf::Document& document)
{
    auto structure = std::make_unique<DocumentStructure>();
    structure->outline = outlineTreeForPdf(document);
    structure->labels = PageLabelIndex(document.pageLabels());
    return structure;
}

StructureLoader::StructureLoader(QObject* parent)
    : QObject(parent)
{
}

StructureLoader::~StructureLoader()
{
    if (m_thread.joinable())
        m_thread.join();
}

void StructureLoader::start(const pdf::Document& document)
{
    if (m_started)
        return;
    m_started = true;
    m_document = &document;
    // The copy is opened on the worker too: on a big manual that alone takes the window's
    // thread tens of milliseconds. The destructor joins, so the document outlives the read.
    std::packaged_task<std::unique_ptr<DocumentStructure>()> task([&document]() -> std::unique_ptr<DocumentStructure> {
        const std::unique_ptr<pdf::Document> copy = document.reopen();
        return copy ? readDocumentStructure(*copy) : nullptr;
    });
    m_result = task.get_future();
    // The pointer is only read on this object's thread, where the queued call runs; the
    // destructor joins, so the call never outlives the object's first moment of destruction.
    m_thread = std::thread([this, task = std::move(task)]() mutable {
        task();
        handOver(this, [this] {
            if (!m_taken)
                emit ready();
        });
    });
}

std::unique_ptr<DocumentStructure> StructureLoader::take()
{
    if (!m_started || m_taken)
        return nullptr;
    m_taken = true;
    std::unique_ptr<DocumentStructure> structure = m_result.get();
    if (m_thread.joinable())
        m_thread.join();
    // The file could no longer be read: what the open document still knows will do.
    if (!structure)
        structure = readDocumentStructure(*m_document);
    return structure;
}

} // namespace tolvo
