// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf/PageSpace.h"

#include <algorithm>

namespace tolvo::pdf {

PageTransform::PageTransform(const QRectF& cropBox, int rotation)
    : m_crop(cropBox.normalized())
    , m_rotation(normalisedRotation(rotation))
{
}

QSizeF PageTransform::displaySize() const
{
    return (m_rotation == 90 || m_rotation == 270) ? QSizeF(m_crop.height(), m_crop.width()) : m_crop.size();
}

// Poppler's device space at 72 dpi: the crop box's displayed top-left corner at the origin.
QPointF PageTransform::toDisplay(const QPointF& p) const
{
    const double x1 = m_crop.left(), y1 = m_crop.top(), x2 = m_crop.right(), y2 = m_crop.bottom();
    switch (m_rotation) {
    case 90:
        return { p.y() - y1, p.x() - x1 };
    case 180:
        return { x2 - p.x(), p.y() - y1 };
    case 270:
        return { y2 - p.y(), x2 - p.x() };
    default:
        return { p.x() - x1, y2 - p.y() };
    }
}

QPointF PageTransform::toPage(const QPointF& d) const
{
    const double x1 = m_crop.left(), y1 = m_crop.top(), x2 = m_crop.right(), y2 = m_crop.bottom();
    switch (m_rotation) {
    case 90:
        return { x1 + d.y(), y1 + d.x() };
    case 180:
        return { x2 - d.x(), y1 + d.y() };
    case 270:
        return { x2 - d.y(), y2 - d.x() };
    default:
        return { x1 + d.x(), y2 - d.y() };
    }
}

namespace {

template <typename F> QRectF mapRect(const QRectF& r, F map)
{
    const QPointF a = map(r.topLeft());
    const QPointF b = map(r.bottomRight());
    return QRectF(QPointF(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
        QPointF(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
}

} // namespace

QRectF PageTransform::toDisplay(const QRectF& page) const
{
    return mapRect(page, [this](const QPointF& p) { return toDisplay(p); });
}

QRectF PageTransform::toPage(const QRectF& display) const
{
    return mapRect(display, [this](const QPointF& p) { return toPage(p); });
}

QPointF PageTransform::displayTopLeftOf(const QRectF& page) const
{
    return toPage(toDisplay(page.normalized()).topLeft());
}

int normalisedRotation(int rotate)
{
    int r = rotate % 360;
    if (r < 0)
        r += 360;
    return (r % 90 == 0) ? r : 0;
}

} // namespace tolvo::pdf
