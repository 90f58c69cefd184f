// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf/core/CoreAnnotations.h"

#include "pdf/core/CoreAccess.h"
#include "pdf/core/CoreText.h"

#include <Object.h>
#include <PDFDoc.h>
#include <Page.h>

#include <algorithm>

namespace tolvo::pdf {

namespace {

// Four points per quadrilateral, in the order written; numbers short of a whole quadrilateral are ignored,
// and a quadrilateral with anything but numbers in it is left out.
QVector<QPointF> quadPointsOf(const Object& array)
{
    QVector<QPointF> points;
    if (!array.isArray())
        return points;
    const int quads = array.arrayGetLength() / 8;
    for (int q = 0; q < quads; ++q) {
        double v[8];
        bool numbers = true;
        for (int i = 0; i < 8 && numbers; ++i) {
            const Object n = array.arrayGet(q * 8 + i);
            numbers = n.isNum();
            if (numbers)
                v[i] = n.getNum();
        }
        if (numbers)
            for (int i = 0; i < 8; i += 2)
                points.append(QPointF(v[i], v[i + 1]));
    }
    return points;
}

// /C with one (grey), three (RGB) or four (CMYK) components; an empty array means no colour.
std::optional<QColor> colourOf(const Object& array)
{
    if (!array.isArray())
        return std::nullopt;
    const int n = array.arrayGetLength();
    if (n != 1 && n != 3 && n != 4)
        return std::nullopt;
    double v[4] = {};
    for (int i = 0; i < n; ++i) {
        const Object c = array.arrayGet(i);
        if (!c.isNum())
            return std::nullopt;
        v[i] = std::clamp(c.getNum(), 0.0, 1.0);
    }
    if (n == 1)
        return QColor::fromRgbF(float(v[0]), float(v[0]), float(v[0]));
    if (n == 3)
        return QColor::fromRgbF(float(v[0]), float(v[1]), float(v[2]));
    return QColor::fromCmykF(float(v[0]), float(v[1]), float(v[2]), float(v[3])).toRgb();
}

} // namespace

int markupTypeOf(const QString& subtype)
{
    if (subtype == QLatin1String("Highlight"))
        return 0;
    if (subtype == QLatin1String("StrikeOut"))
        return 1;
    if (subtype == QLatin1String("Underline"))
        return 2;
    if (subtype == QLatin1String("Squiggly"))
        return 3;
    return -1;
}

std::vector<Annotation> readAnnotations(PDFDoc& doc, int pageIndex)
{
    std::vector<Annotation> result;
    if (pageIndex < 0 || pageIndex >= doc.getNumPages())
        return result;
    Page* page = doc.getPage(pageIndex + 1);
    if (!page)
        return result;
    const Object annots = page->getAnnotsObject();
    if (!annots.isArray())
        return result;
    result.reserve(size_t(annots.arrayGetLength()));
    for (int i = 0; i < annots.arrayGetLength(); ++i) {
        const Object dict = annots.arrayGet(i);
        if (!dict.isDict())
            continue;
        const Object subtype = dict.dictLookup("Subtype");
        if (!subtype.isName())
            continue;
        Annotation annotation;
        annotation.type = QString::fromUtf8(subtype.getName());
        annotation.pageIndex = pageIndex;
        annotation.bounds = rectangleOf(dict.dictLookup("Rect")).value_or(QRectF());
        annotation.contents = textOf(dict.dictLookup("Contents"));
        annotation.name = textOf(dict.dictLookup("NM")).value_or(QString());
        annotation.colour = colourOf(dict.dictLookup("C"));
        annotation.markupType = markupTypeOf(annotation.type);
        annotation.isMarkup = annotation.markupType >= 0;
        if (annotation.isMarkup)
            annotation.quadPoints = quadPointsOf(dict.dictLookup("QuadPoints"));
        result.push_back(std::move(annotation));
    }
    return result;
}

} // namespace tolvo::pdf
