// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One page drawn at a scale in a style, the same way wherever it is drawn: by the page
// view's workers, or ahead of the view while the window is being made.

#include "pdf/PdfDocument.h"
#include "render/NightMode.h"

#include <QImage>

#include <functional>
#include <optional>

namespace tolvo::pageview {

/// Where a page's raster images are (page space); nothing when the read was aborted.
using ImageAreaSource = std::function<std::optional<QVector<QRectF>>(int pageIndex)>;

/// The page drawn at scale (device pixels per point) in style; a null image when it could not
/// be drawn or shouldAbort said so meanwhile. A night page that keeps its images asks images
/// where they are (without a source, the document is read under shouldAbort).
QImage drawPage(const pdf::Document& document, int pageIndex, double scale, PageStyle style,
    const std::function<bool()>& shouldAbort, const ImageAreaSource& images = {});

/// A page drawn by day at scale, turned to style. A night page keeps the pixels of the page's
/// images, at imageAreas (page space, on a page of that geometry), when style says so.
QImage styledPage(
    QImage drawn, double scale, PageStyle style, const QVector<QRectF>& imageAreas, const pdf::PageGeometry& geometry);

} // namespace tolvo::pageview
