// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one conversion between page space (PDF user space, y up) and the displayed
// page (the crop box turned by the page's rotation, origin top-left, y down, in
// points) that Poppler's text layer and search report in.

#include <QPointF>
#include <QRectF>
#include <QSizeF>

namespace tolvo::pdf {

/// Maps points between page space and the displayed page of one page.
class PageTransform {
public:
    PageTransform() = default;
    /// cropBox in page space; rotation 0, 90, 180 or 270 (clockwise as displayed).
    PageTransform(const QRectF& cropBox, int rotation);

    /// The rotation this transform turns by: 0, 90, 180 or 270.
    int rotation() const { return m_rotation; }

    /// The displayed page's size in points.
    QSizeF displaySize() const;

    QPointF toDisplay(const QPointF& page) const;
    QPointF toPage(const QPointF& display) const;
    /// Rectangles map corner by corner; the result is normalised.
    QRectF toDisplay(const QRectF& page) const;
    QRectF toPage(const QRectF& display) const;

    /// The corner of the crop box that shows top-left, in page space.
    QPointF displayTopLeft() const { return toPage(QPointF(0, 0)); }
    /// The corner of a page-space rectangle that shows top-left.
    QPointF displayTopLeftOf(const QRectF& page) const;

private:
    QRectF m_crop;
    int m_rotation = 0;
};

/// A page's /Rotate reduced to 0, 90, 180 or 270; values that are no multiple of 90 count as 0, as Poppler draws them.
int normalisedRotation(int rotate);

} // namespace tolvo::pdf
