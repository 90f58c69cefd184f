// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Conversions between page space (PDF user space of the unrotated page, y up)
// and display space (points from the top-left corner of the page as shown,
// that is its crop box turned by its rotation, y down).

#include "pdf/PdfDocument.h"

#include <QTransform>

namespace tolvo::pageview {

/// The rotation as one of 0, 90, 180, 270; any other value counts as 0.
int normalizedRotation(int rotation);

/// The page's size as shown, in points: the crop box, its sides swapped for 90 and 270.
QSizeF displaySizeOf(const pdf::PageGeometry& geometry);

/// Maps page space to display space.
QTransform pageToDisplayTransform(const pdf::PageGeometry& geometry);

/// Maps display space to page space.
QTransform displayToPageTransform(const pdf::PageGeometry& geometry);

} // namespace tolvo::pageview
