// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf/StructureLoader.h"

#include "pdf/OutlineFromPdf.h"
#include "pdf/PdfDocument.h"

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
    std::shared_ptr<pdf::Document> copy(document.reopen());
    if (!copy) {
        std::promise<std::unique_ptr<DocumentStructure>> done;
        m_result = done.get_future();
        done.set_value(readDocumentStructure(document));
        QMetaObject::invokeMethod(this, &StructureLoader::ready, Qt::QueuedConnection);
        return;
    }
    std::packaged_task<std::unique_ptr<DocumentStructure>()> task([copy] { return readDocumentStructure(*copy); });
    m_result = task.get_future();
    // The pointer is only read on this object's thread, where the queued call runs; the
    // destructor joins, so the call never outlives the object's first moment of destruction.
    m_thread = std::thread([this, task = std::move(task)]() mutable {
        task();
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (!m_taken)
                    emit ready();
            },
            Qt::QueuedConnection);
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
    return structure;
}

} // namespace tolvo
