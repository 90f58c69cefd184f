// The PDF services over mutated PDFs: open, page labels, outline (and the outline tree built from
// it), annotations, geometry, words, selection, search and drawing of the first pages. Whatever a
// file holds, a destination names a page of the document and a label list has one label a page.
#include "FuzzInput.h"
#include "pdf/OutlineFromPdf.h"
#include "pdf/PdfDocument.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

using namespace tolvo;

namespace {

void check(bool promise)
{
    if (!promise)
        std::abort();
}

void checkDestinations(const std::vector<pdf::OutlineEntry>& entries, int pageCount)
{
    for (const pdf::OutlineEntry& entry : entries) {
        if (entry.destination)
            check(entry.destination->pageIndex >= 0 && entry.destination->pageIndex < pageCount);
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
        check(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    const pdf::OpenResult opened = pdf::openDocument(path);
    if (!opened.document) {
        check(!opened.error.isEmpty());
        return 0;
    }
    const pdf::Document& doc = *opened.document;
    const int pages = doc.pageCount();
    check(pages > 0);
    check(doc.pageLabels().size() == pages);
    checkDestinations(doc.outline(), pages);
    outlineTreeForPdf(doc);
    for (int page = 0; page < std::min(pages, 3); ++page) {
        doc.pageLabel(page);
        doc.pageGeometry(page);
        for (const pdf::Annotation& a : doc.annotations(page))
            check(a.pageIndex == page);
        const std::vector<pdf::TextWord> words = doc.words(page);
        doc.selectionForRect(page, QRectF(0, 0, 1000, 1000));
        if (!words.empty())
            doc.search(page, words.front().text);
        doc.render(page, 0.1);
    }
    doc.selectionFromPoint(0, QPointF(0, 800), pages - 1, QPointF(600, 0));
    check(doc.pageLabel(-1).isEmpty() && doc.pageLabel(pages).isEmpty());
    return 0;
}
