// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where a page draws raster images, found by interpreting its drawing into a device that
// draws nothing. Night mode keeps these areas as they are (photos would otherwise become
// negatives). Internal to pdf/core.

#include <QRectF>
#include <QVector>

#include <optional>

class PDFDoc;

namespace tolvo::pdf {

/// The bounding boxes of the page's raster images, in page space, clipped to what is visible,
/// in drawing order. Image masks (stencils painted in one colour, such as bitmap glyphs) do not
/// count. Nothing when the page cannot be read or the read was ended (WorkAbort.h).
std::optional<QVector<QRectF>> readImageAreas(PDFDoc& doc, int pageIndex);

} // namespace tolvo::pdf
