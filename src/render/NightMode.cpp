// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/NightMode.h"

#include <algorithm>

namespace tolvo {

QRgb nightColour(QRgb colour)
{
    const int r = qRed(colour), g = qGreen(colour), b = qBlue(colour);
    const int shift = 255 - std::max({ r, g, b }) - std::min({ r, g, b });
    return qRgba(r + shift, g + shift, b + shift, qAlpha(colour));
}

QImage nightImage(const QImage& image, const QVector<QRect>& keep)
{
    if (image.isNull())
        return image;
    // Straight (not premultiplied) channels, so that a translucent pixel turns like an opaque one.
    QImage result = image.hasAlphaChannel() ? image.convertToFormat(QImage::Format_ARGB32)
                                            : image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x)
            line[x] = nightColour(line[x]);
    }
    // Turning everything and putting the kept areas back costs little beside drawing the page,
    // and overlapping areas need no care.
    const QImage original = image.convertToFormat(result.format());
    for (const QRect& area : keep) {
        const QRect r = area.intersected(result.rect());
        if (r.isEmpty())
            continue;
        for (int y = r.top(); y <= r.bottom(); ++y)
            std::copy_n(reinterpret_cast<const QRgb*>(original.constScanLine(y)) + r.left(), r.width(),
                reinterpret_cast<QRgb*>(result.scanLine(y)) + r.left());
    }
    return result;
}

} // namespace tolvo
