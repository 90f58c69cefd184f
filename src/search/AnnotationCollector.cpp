// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/AnnotationCollector.h"

#include "pdf/WorkAbort.h"
#include "settings/HandOver.h"

#include <QLoggingCategory>
#include <QMetaObject>

namespace tolvo {

Q_LOGGING_CATEGORY(lcAnnotations, "tolvo.annotations")

AnnotationCollector::AnnotationCollector(QObject* parent)
    : QObject(parent)
    , m_stop(std::make_shared<std::atomic<bool>>(false))
{
}

AnnotationCollector::~AnnotationCollector()
{
    m_stop->store(true);
    if (m_thread.joinable())
        m_thread.join();
    // A list posted but not yet delivered goes with this object's posted events.
}

bool AnnotationCollector::start(const pdf::Document& document)
{
    if (m_started)
        return false;
    std::unique_ptr<pdf::Document> own = document.reopen();
    if (!own)
        qCWarning(lcAnnotations).noquote() << "Cannot read the annotations of" << document.filePath();
    return start(std::move(own));
}

bool AnnotationCollector::start(std::unique_ptr<pdf::Document> own)
{
    if (m_started)
        return false;
    m_started = true;
    if (!own) {
        auto empty = std::make_shared<AnnotationList>();
        handOver(this, [this, empty] { deliver(empty); });
        return false;
    }
    m_thread = std::thread([this, stop = m_stop, document = std::move(own)]() {
        // The text under a markup is read from its page, which can take long on a hostile page.
        const pdf::AbortScope abortScope([&stop] { return stop->load(std::memory_order_relaxed); });
        auto list = std::make_shared<const AnnotationList>(
            prepareAnnotationsArray(*document, [&stop] { return stop->load(std::memory_order_relaxed); }));
        if (stop->load())
            return;
        // Posted to this object's thread; the destructor joins before the object goes, and
        // posted events die with it.
        handOver(this, [this, list] { deliver(list); });
    });
    return true;
}

void AnnotationCollector::deliver(std::shared_ptr<const AnnotationList> list)
{
    if (m_list)
        return;
    m_list = std::move(list);
    emit ready(m_list);
}

std::vector<PopupAnnotation> AnnotationCollector::popupAnnotations() const
{
    return m_list ? m_list->popups : std::vector<PopupAnnotation>();
}

} // namespace tolvo
