// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/PageDrawing.h"

#include "pdf/WorkAbort.h"
#include "render/DisplaySpace.h"

#include <cmath>

namespace tolvo::pageview {

namespace {

// Image areas in pixels of the page drawn at scale: the pixels that Poppler's drawing gives an
// image, every pixel its box reaches into, so that no edge of a photo turns with the page.
QVector<QRect> toPixels(const QVector<QRectF>& areas, const pdf::PageGeometry& geometry, double scale)
{
    const QTransform transform = pageToDisplayTransform(geometry) * QTransform::fromScale(scale, scale);
    QVector<QRect> pixels;
    for (const QRectF& area : areas) {
        const QRectF r = transform.mapRect(area);
        pixels.append(QRect(QPoint(int(std::floor(r.left())), int(std::floor(r.top()))),
            QPoint(int(std::floor(r.right())), int(std::floor(r.bottom())))));
    }
    return pixels;
}

} // namespace

QImage drawPage(const pdf::Document& document, int pageIndex, double scale, PageStyle style,
    const std::function<bool()>& shouldAbort, const ImageAreaSource& images)
{
    QImage image = document.render(pageIndex, scale, shouldAbort);
    if (shouldAbort && shouldAbort())
        return QImage();
    if (image.isNull() || style == PageStyle::Day)
        return image;
    if (style == PageStyle::NightKeepingImages) {
        std::optional<QVector<QRectF>> areas;
        if (images) {
            areas = images(pageIndex);
        } else {
            const pdf::AbortScope scope(shouldAbort ? shouldAbort : [] { return false; });
            QVector<QRectF> read = document.imageAreas(pageIndex);
            // An ended read found nothing, which is not what the page has.
            if (!shouldAbort || !shouldAbort())
                areas = std::move(read);
        }
        if (!areas)
            return QImage();
        return styledPage(std::move(image), scale, style, *areas, document.pageGeometry(pageIndex));
    }
    return nightImage(image, {});
}

QImage styledPage(
    QImage drawn, double scale, PageStyle style, const QVector<QRectF>& imageAreas, const pdf::PageGeometry& geometry)
{
    if (drawn.isNull() || style == PageStyle::Day)
        return drawn;
    return nightImage(
        drawn, style == PageStyle::NightKeepingImages ? toPixels(imageAreas, geometry, scale) : QVector<QRect>());
}

} // namespace tolvo::pageview
