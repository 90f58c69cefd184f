// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf/core/CoreDocument.h"

#include "pdf/PdfLog.h"
#include "pdf/core/CoreAccess.h"
#include "pdf/core/CoreAnnotations.h"
#include "pdf/core/CoreImageAreas.h"
#include "pdf/core/CoreLinks.h"
#include "pdf/core/CoreOutline.h"
#include "pdf/core/CorePageLabels.h"
#include "pdf/core/CoreTextLayer.h"

#include <GlobalParams.h>
#include <Object.h>
#include <PDFDoc.h>
#include <Stream.h>
#include <XRef.h>
#include <goo/GooString.h>

#include <QFile>

#include <atomic>

namespace tolvo::pdf {

namespace {

void coreError(ErrorCategory, Goffset position, const char* message)
{
    qCDebug(lcPdf).noquote() << "poppler:" << position << message;
}

// Identifiers are 16 bytes as most programs write them; anything past this is no identifier.
constexpr int kMaxPermanentIdBytes = 256;

} // namespace

struct CoreDocument::Private {
    // Declared first, destroyed last: Poppler's global state must outlive the document.
    std::unique_ptr<GlobalParamsIniter> init;
    std::shared_ptr<const QByteArray> bytes; ///< what doc reads, when it reads from memory
    std::unique_ptr<PDFDoc> doc;
    // Made at the first link read: it maps every page object and indexes named destinations once.
    std::unique_ptr<LinkReader> links;
};

CoreDocument::Opened CoreDocument::open(
    const QString& absolutePath, const QByteArray& password, std::shared_ptr<const QByteArray> bytes)
{
    Opened result;
    auto data = std::make_unique<Private>();
    data->init = std::make_unique<GlobalParamsIniter>(coreError);
    // Poppler keeps the callback and may call it whenever it rebuilds the table, long after opening.
    const auto repaired = std::make_shared<std::atomic<bool>>(false);
    std::optional<GooString> given;
    if (!password.isEmpty())
        given.emplace(password.constData(), int(password.size()));
    if (bytes) {
        data->bytes = std::move(bytes);
        data->doc
            = std::make_unique<PDFDoc>(new MemStream(data->bytes->constData(), 0, data->bytes->size(), Object(objNull)),
                given, given, nullptr, [repaired] { *repaired = true; });
    } else {
        data->doc = std::make_unique<PDFDoc>(std::make_unique<GooString>(QFile::encodeName(absolutePath).toStdString()),
            given, given, nullptr, [repaired] { *repaired = true; });
    }
    PDFDoc& doc = *data->doc;
    if (!doc.isOk()) {
        switch (doc.getErrorCode()) {
        case errEncrypted:
            result.failure = Failure::Encrypted;
            break;
        case errOpenFile:
            result.failure = Failure::CannotOpen;
            result.openErrno = doc.getFopenErrno();
            break;
        default:
            result.failure = Failure::Damaged;
            break;
        }
        return result;
    }
    const int pageCount = doc.getNumPages();
    if (pageCount <= 0) {
        result.failure = Failure::NoPages;
        return result;
    }
    // Poppler rebuilds a broken cross-reference table, as its own tools do; what survives is shown, and
    // a page that did not survive shows empty.
    if (*repaired) {
        result.repaired = true;
        for (int i = 1; i <= pageCount; ++i)
            result.lostPages += doc.getPage(i) ? 0 : 1;
    }
    result.document.reset(new CoreDocument(std::move(data)));
    return result;
}

namespace {

// The first string of the trailer's /ID. The trailer is read before the document is
// decrypted: an encrypted PDF still tells its identifier.
QByteArray trailerId(XRef* xref)
{
    if (!xref || !xref->isOk())
        return QByteArray();
    const Object ids = xref->getTrailerDict()->dictLookup("ID");
    if (!ids.isArray() || ids.arrayGetLength() < 1)
        return QByteArray();
    const Object first = ids.arrayGet(0);
    if (!first.isString())
        return QByteArray();
    const GooString* text = first.getString();
    if (text->getLength() <= 0 || text->getLength() > kMaxPermanentIdBytes)
        return QByteArray();
    return QByteArray(text->c_str(), text->getLength());
}

} // namespace

QByteArray CoreDocument::permanentId(const QString& absolutePath)
{
    const GlobalParamsIniter init(coreError);
    PDFDoc doc(std::make_unique<GooString>(QFile::encodeName(absolutePath).toStdString()));
    return trailerId(doc.getXRef());
}

QByteArray CoreDocument::permanentId() const
{
    return trailerId(d->doc->getXRef());
}

CoreDocument::CoreDocument(std::unique_ptr<Private> data)
    : d(std::move(data))
{
}

CoreDocument::~CoreDocument() = default;

int CoreDocument::pageCount() const
{
    return d->doc->getNumPages();
}

PageGeometry CoreDocument::pageGeometry(int pageIndex) const
{
    return pageGeometryOf(*d->doc, pageIndex);
}

QStringList CoreDocument::pageLabels() const
{
    return readPageLabels(*d->doc);
}

std::vector<PageLabelRange> CoreDocument::pageLabelRanges() const
{
    return readPageLabelRanges(*d->doc);
}

std::vector<OutlineEntry> CoreDocument::outline() const
{
    return readOutline(*d->doc);
}

std::vector<Annotation> CoreDocument::annotations(int pageIndex) const
{
    return readAnnotations(*d->doc, pageIndex);
}

int CoreDocument::annotationCount(int pageIndex) const
{
    if (pageIndex < 0 || pageIndex >= d->doc->getNumPages())
        return 0;
    Page* page = d->doc->getPage(pageIndex + 1);
    if (!page)
        return 0;
    const Object annots = page->getAnnotsObject();
    return annots.isArray() ? annots.arrayGetLength() : 0;
}

std::optional<TextLayer> CoreDocument::textLayer(int pageIndex) const
{
    return readTextLayer(*d->doc, pageIndex);
}

std::vector<PageLink> CoreDocument::links(int pageIndex) const
{
    if (!d->links)
        d->links = std::make_unique<LinkReader>(*d->doc);
    return d->links->links(pageIndex);
}

std::optional<FindText> CoreDocument::findText(int pageIndex) const
{
    return readFindText(*d->doc, pageIndex);
}

std::optional<QVector<QRectF>> CoreDocument::imageAreas(int pageIndex) const
{
    return readImageAreas(*d->doc, pageIndex);
}

QVector<QRectF> CoreDocument::search(int pageIndex, const QString& text) const
{
    return searchPage(*d->doc, pageIndex, text);
}

} // namespace tolvo::pdf
