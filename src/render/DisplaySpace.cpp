// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/DisplaySpace.h"

namespace tolvo::pageview {

int normalizedRotation(int rotation)
{
    const int r = ((rotation % 360) + 360) % 360;
    return (r == 90 || r == 180 || r == 270) ? r : 0;
}

QSizeF displaySizeOf(const pdf::PageGeometry& geometry)
{
    const QSizeF crop = geometry.cropBox.size();
    const int r = normalizedRotation(geometry.rotation);
    return (r == 90 || r == 270) ? crop.transposed() : crop;
}

QTransform pageToDisplayTransform(const pdf::PageGeometry& geometry)
{
    const QRectF box = geometry.cropBox;
    const double w = box.width();
    const double h = box.height();
    // First into the unrotated page seen from its top-left corner (u right, v down),
    // then turned clockwise as the page is shown.
    const QTransform toUnrotated(1, 0, 0, -1, -box.left(), box.top() + h);
    QTransform turn;
    switch (normalizedRotation(geometry.rotation)) {
    case 90: // (u, v) -> (h - v, u)
        turn = QTransform(0, 1, -1, 0, h, 0);
        break;
    case 180: // (u, v) -> (w - u, h - v)
        turn = QTransform(-1, 0, 0, -1, w, h);
        break;
    case 270: // (u, v) -> (v, w - u)
        turn = QTransform(0, -1, 1, 0, 0, w);
        break;
    default:
        break;
    }
    return toUnrotated * turn;
}

QTransform displayToPageTransform(const pdf::PageGeometry& geometry)
{
    return pageToDisplayTransform(geometry).inverted();
}

} // namespace tolvo::pageview
