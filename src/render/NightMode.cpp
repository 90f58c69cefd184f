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

QImage nightImage(const QImage& image)
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
    return result;
}

} // namespace tolvo
