// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf/core/CoreTextLayer.h"

#include "pdf/WorkAbort.h"
#include "pdf/core/CoreAccess.h"

#include <PDFDoc.h>
#include <TextOutputDev.h>
#include <goo/GooString.h>

#include <array>
#include <memory>

namespace tolvo::pdf {

namespace {

struct TextPageRelease {
    void operator()(TextPage* page) const { page->decRefCnt(); }
};
using TextPagePtr = std::unique_ptr<TextPage, TextPageRelease>;

struct Extraction {
    TextPagePtr page;
    PageTransform transform;
};

bool noAnnotations(Annot*, void*)
{
    return false;
}

bool abortCheck(void*)
{
    return abortRequested();
}

// The text of the page drawn turned by extraTurns quarter turns beyond its own rotation.
Extraction extract(PDFDoc& doc, int pageIndex, const PageGeometry& geometry, int extraTurns)
{
    TextOutputDev device(nullptr, false, 0, false, false);
    Extraction result;
    result.transform = PageTransform(geometry.cropBox, geometry.rotation + 90 * extraTurns);
    if (!device.isOk())
        return result;
    doc.displayPage(&device, pageIndex + 1, 72, 72, 90 * extraTurns, false, true, false, abortCheck, nullptr,
        noAnnotations, nullptr);
    // Half a page's text would read as the page's text; an ended read gives none.
    if (abortRequested())
        return result;
    result.page.reset(device.takeText());
    return result;
}

// The quarter turns that bring most of the page's characters upright.
int turnsToUpright(TextPage& page)
{
    std::array<long, 4> characters {};
    const std::unique_ptr<TextWordList> list = page.makeWordList(false);
    for (int i = 0; list && i < list->getLength(); ++i) {
        const ::TextWord* word = list->get(i);
        characters[size_t(word->getRotation() & 3)] += word->getLength();
    }
    int dominant = 0;
    for (int r = 1; r < 4; ++r)
        if (characters[size_t(r)] > characters[size_t(dominant)])
            dominant = r;
    return (4 - dominant) % 4;
}

// An extraction in which the page's text reads upright.
Extraction uprightExtraction(PDFDoc& doc, int pageIndex)
{
    const PageGeometry geometry = pageGeometryOf(doc, pageIndex);
    if (geometry.cropBox.isEmpty())
        return {};
    Extraction first = extract(doc, pageIndex, geometry, 0);
    if (!first.page)
        return first;
    const int turns = turnsToUpright(*first.page);
    return turns == 0 ? std::move(first) : extract(doc, pageIndex, geometry, turns);
}

} // namespace

std::optional<TextLayer> readTextLayer(PDFDoc& doc, int pageIndex)
{
    if (pageIndex < 0 || pageIndex >= doc.getNumPages() || !doc.getPage(pageIndex + 1))
        return std::nullopt;
    Extraction extraction = uprightExtraction(doc, pageIndex);
    if (abortRequested())
        return std::nullopt;
    TextLayer layer;
    layer.transform = extraction.transform;
    if (!extraction.page)
        return layer;
    const QRectF visible(QPointF(0, 0), layer.transform.displaySize());
    const std::unique_ptr<TextWordList> list = extraction.page->makeWordList(false);
    for (int i = 0; list && i < list->getLength(); ++i) {
        const ::TextWord* source = list->get(i);
        double x1, y1, x2, y2;
        source->getBBox(&x1, &y1, &x2, &y2);
        const QRectF box(QPointF(x1, y1), QPointF(x2, y2));
        if (!box.intersects(visible))
            continue;
        const std::unique_ptr<GooString> text(source->getText());
        TextWord word;
        word.text = text ? QString::fromUtf8(text->c_str(), text->getLength()) : QString();
        word.bounds = box;
        word.spaceAfter = source->hasSpaceAfter();
        word.lineEndsAfter = source->nextWord() == nullptr;
        word.index = int(layer.words.size());
        layer.words.push_back(std::move(word));
    }
    return layer;
}

std::optional<FindText> readFindText(PDFDoc& doc, int pageIndex)
{
    if (pageIndex < 0 || pageIndex >= doc.getNumPages() || !doc.getPage(pageIndex + 1))
        return std::nullopt;
    const PageGeometry geometry = pageGeometryOf(doc, pageIndex);
    Extraction extraction = uprightExtraction(doc, pageIndex);
    if (abortRequested())
        return std::nullopt;
    FindText text;
    text.cropBox = geometry.cropBox;
    text.rotation = extraction.page ? extraction.transform.rotation() : geometry.rotation;
    if (!extraction.page)
        return text;
    const std::unique_ptr<TextWordList> list = extraction.page->makeWordList(false);
    text.words.reserve(size_t(list ? list->getLength() : 0));
    QString units;
    std::vector<float> edges;
    for (int i = 0; list && i < list->getLength(); ++i) {
        const ::TextWord* source = list->get(i);
        double x1, y1, x2, y2;
        source->getBBox(&x1, &y1, &x2, &y2);
        FindWord word;
        word.box = QRectF(QPointF(x1, y1), QPointF(x2, y2));
        word.turns = source->getRotation() & 3;
        word.spaceAfter = source->hasSpaceAfter();
        word.lineEndsAfter = source->nextWord() == nullptr;
        const int length = source->getLength();
        units.clear();
        edges.clear();
        for (int c = 0; c < length; ++c) {
            const char32_t u = char32_t(*source->getChar(c));
            const float edge = float(source->getEdge(c));
            if (QChar::requiresSurrogates(u)) {
                units += QChar(QChar::highSurrogate(u));
                units += QChar(QChar::lowSurrogate(u));
                edges.push_back(edge);
                edges.push_back(edge);
            } else {
                units += QChar(char16_t(u));
                edges.push_back(edge);
            }
        }
        edges.push_back(float(source->getEdge(length)));
        text.append(word, units, edges.data(), int(edges.size()));
    }
    return text;
}

QVector<QRectF> searchPage(PDFDoc& doc, int pageIndex, const QString& text)
{
    QVector<QRectF> result;
    if (text.isEmpty() || pageIndex < 0 || pageIndex >= doc.getNumPages() || !doc.getPage(pageIndex + 1))
        return result;
    const Extraction extraction = uprightExtraction(doc, pageIndex);
    if (!extraction.page)
        return result;
    const QList<uint> query = text.toUcs4();
    std::vector<Unicode> u(query.begin(), query.end());
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    // Each search starts after the last match, as Poppler-Qt does.
    while (extraction.page->findText(
        u.data(), int(u.size()), false, true, true, false, false, false, false, false, &x1, &y1, &x2, &y2))
        result.append(extraction.transform.toPage(QRectF(QPointF(x1, y1), QPointF(x2, y2))));
    return result;
}

} // namespace tolvo::pdf
