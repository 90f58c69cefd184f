// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Pages for reading at night: lightness turned over, hue and saturation kept.

#include <QColor>
#include <QImage>
#include <QRect>
#include <QVector>

namespace tolvo {

/// How pages are drawn: as the PDF has them, or for the night with their lightness turned over,
/// either everything or everything but the PDF's raster images (photos, scans, figures).
enum class PageStyle { Day, Night, NightKeepingImages };

/// The colour with its HSL lightness L turned into 1 - L and its hue and saturation kept: white
/// becomes black, black white, a dark blue a light blue, and a pure red stays red. In RGB this
/// shifts every channel by the same amount, 255 - max - min, so that it is exact and cheap.
QRgb nightColour(QRgb colour);

/// The image with every pixel turned by nightColour, but those inside keep (pixel rectangles),
/// which stay as they are; alpha is kept. Doing it twice gives the image back.
QImage nightImage(const QImage& image, const QVector<QRect>& keep = {});

} // namespace tolvo
