// The PDF services over mutated PDFs: open, page labels, outline (and the outline tree built from
// it), annotations, geometry, words, selection, search and drawing of the first pages. Whatever a
// file holds, a destination names a page of the document and a label list has one label a page.
//
// A hostile page can draw millions of glyphs, whose text and image Poppler takes many seconds to
// make. The app reads pages on workers that end such a read once nobody waits for it (WorkAbort.h);
// each input here gets a budget of time the same way, so such a page costs the budget, no more,
// and the ended reads are exercised too.
#include "FuzzInput.h"
#include "pdf/OutlineFromPdf.h"
#include "pdf/PdfDocument.h"
#include "pdf/WorkAbort.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>

using namespace tolvo;

namespace {

void checkDestinations(const std::vector<pdf::OutlineEntry>& entries, int pageCount)
{
    for (const pdf::OutlineEntry& entry : entries) {
        if (entry.destination)
            TOLVO_FUZZ_CHECK(entry.destination->pageIndex >= 0 && entry.destination->pageIndex < pageCount);
        checkDestinations(entry.children, pageCount);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("input.pdf"));
    {
        QFile file(path);
        TOLVO_FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    const pdf::OpenResult opened = pdf::openDocument(path);
    if (!opened.document) {
        TOLVO_FUZZ_CHECK(!opened.error.isEmpty());
        return 0;
    }
    const QDeadlineTimer deadline(1000);
    const auto overBudget = [&deadline] { return deadline.hasExpired(); };
    const pdf::AbortScope budget(overBudget);
    const pdf::Document& doc = *opened.document;
    const int pages = doc.pageCount();
    TOLVO_FUZZ_CHECK(pages > 0);
    TOLVO_FUZZ_CHECK(doc.pageLabels().size() == pages);
    checkDestinations(doc.outline(), pages);
    outlineTreeForPdf(doc);
    for (int page = 0; page < std::min(pages, 3); ++page) {
        doc.pageLabel(page);
        doc.pageGeometry(page);
        for (const pdf::Annotation& a : doc.annotations(page))
            TOLVO_FUZZ_CHECK(a.pageIndex == page);
        const std::vector<pdf::TextWord> words = doc.words(page);
        doc.selectionForRect(page, QRectF(0, 0, 1000, 1000));
        if (!words.empty())
            doc.search(page, words.front().text);
        doc.render(page, 0.1, overBudget);
    }
    doc.selectionFromPoint(0, QPointF(0, 800), pages - 1, QPointF(600, 0));
    TOLVO_FUZZ_CHECK(doc.pageLabel(-1).isEmpty() && doc.pageLabel(pages).isEmpty());
    return 0;
}
