// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf/core/CoreImageAreas.h"

#include "pdf/PageSpace.h"
#include "pdf/WorkAbort.h"
#include "pdf/core/CoreAccess.h"

#include <GfxState.h>
#include <OutputDev.h>
#include <PDFDoc.h>

#include <algorithm>

namespace tolvo::pdf {

namespace {

// A page of tiled images would list every tile; past this many areas the page counts as one
// picture covered by their union.
constexpr int kMaxAreas = 4096;

// Records where images land and draws nothing. Device space is the displayed page in points
// (72 dpi, y down), as the text layer reads it.
class ImageAreaDevice final : public OutputDev {
public:
    QVector<QRectF> areas;
    QRectF united;

    bool upsideDown() override { return true; }
    bool useDrawChar() override { return false; }
    bool interpretType3Chars() override { return false; }
    bool needNonText() override { return true; }

    void drawImage(GfxState* state, Object* ref, Stream* str, int width, int height, GfxImageColorMap* colorMap,
        bool interpolate, const int* maskColors, bool inlineImg) override
    {
        record(state);
        // The base skips the data of an inline image, which the content parser needs behind it.
        OutputDev::drawImage(state, ref, str, width, height, colorMap, interpolate, maskColors, inlineImg);
    }

    void drawMaskedImage(
        GfxState* state, Object*, Stream*, int, int, GfxImageColorMap*, bool, Stream*, int, int, bool, bool) override
    {
        record(state);
    }

    void drawSoftMaskedImage(GfxState* state, Object*, Stream*, int, int, GfxImageColorMap*, bool, Stream*, int, int,
        GfxImageColorMap*, bool) override
    {
        record(state);
    }

    // drawImageMask stays the base's: a stencil painted in the fill colour turns with the text.

private:
    void record(GfxState* state)
    {
        // The image fills the unit square under the current transformation.
        const double* m = state->getCTM();
        const QPointF corners[] = { { m[4], m[5] }, { m[0] + m[4], m[1] + m[5] }, { m[2] + m[4], m[3] + m[5] },
            { m[0] + m[2] + m[4], m[1] + m[3] + m[5] } };
        double left = corners[0].x(), right = left, top = corners[0].y(), bottom = top;
        for (const QPointF& c : corners) {
            left = std::min(left, c.x());
            right = std::max(right, c.x());
            top = std::min(top, c.y());
            bottom = std::max(bottom, c.y());
        }
        double clipLeft, clipTop, clipRight, clipBottom;
        state->getClipBBox(&clipLeft, &clipTop, &clipRight, &clipBottom);
        const QRectF area = QRectF(QPointF(left, top), QPointF(right, bottom))
                                .intersected(QRectF(QPointF(clipLeft, clipTop), QPointF(clipRight, clipBottom)));
        if (area.isEmpty())
            return;
        united = united.united(area);
        if (areas.size() < kMaxAreas)
            areas.append(area);
    }
};

bool abortCheck(void*)
{
    return abortRequested();
}

} // namespace

std::optional<QVector<QRectF>> readImageAreas(PDFDoc& doc, int pageIndex)
{
    if (pageIndex < 0 || pageIndex >= doc.getNumPages() || !doc.getPage(pageIndex + 1))
        return std::nullopt;
    const PageGeometry geometry = pageGeometryOf(doc, pageIndex);
    if (geometry.cropBox.isEmpty())
        return QVector<QRectF>();
    ImageAreaDevice device;
    // Annotations are drawn with the page, so a stamp's picture is one of its images.
    doc.displayPage(&device, pageIndex + 1, 72, 72, 0, false, true, false, abortCheck, nullptr, nullptr, nullptr);
    if (abortRequested())
        return std::nullopt;
    const PageTransform transform(geometry.cropBox, geometry.rotation);
    QVector<QRectF> areas;
    if (device.areas.size() >= kMaxAreas) {
        areas.append(transform.toPage(device.united));
        return areas;
    }
    areas.reserve(device.areas.size());
    for (const QRectF& area : std::as_const(device.areas))
        areas.append(transform.toPage(area));
    return areas;
}

} // namespace tolvo::pdf
