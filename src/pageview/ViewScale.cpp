// SPDX-License-Identifier: GPL-3.0-or-later
#include "pageview/ViewScale.h"

#include <algorithm>
#include <cmath>

namespace tolvo::pageview {

namespace {

// A page image never exceeds this many pixels (64 MiB); beyond it, at great zoom, the
// page is drawn at the largest scale within it and enlarged.
constexpr double kMaxPagePixels = 16.0 * 1024 * 1024;

} // namespace

double viewZoom(
    const PageLayout& layout, const ZoomSetting& setting, const QSizeF& viewport, int shownPage, double pointSize)
{
    if (!setting.fit)
        return std::clamp(setting.zoom, kMinimumZoom, kMaximumZoom);
    if (layout.pageCount() == 0)
        return setting.zoom;
    return std::clamp(layout.fitScale(viewport, shownPage, *setting.fit) / pointSize, kMinimumFittedZoom, kMaximumZoom);
}

double pointSizeAt(double logicalDpi)
{
    // Points are 1/72 inch; the screen says how many logical pixels an inch takes.
    return logicalDpi > 0 ? logicalDpi / 72.0 : 1.0;
}

double drawingScale(const QSizeF& displaySize, double pixelsPerPoint, double devicePixelRatio)
{
    const double scale = pixelsPerPoint * devicePixelRatio;
    const double area = displaySize.width() * displaySize.height();
    if (area > 0 && area * scale * scale > kMaxPagePixels)
        return std::sqrt(kMaxPagePixels / area);
    return scale;
}

std::optional<double> firstDrawingScale(const FirstView& view, int pageIndex)
{
    if (pageIndex < 0 || pageIndex >= view.pageSizes.size())
        return std::nullopt;
    PageLayout layout;
    layout.setPages(view.pageSizes, view.mode, view.book);
    const double pointSize = pointSizeAt(view.logicalDpi);
    const double zoom = viewZoom(layout, view.zoom, view.viewport, pageIndex, pointSize);
    return drawingScale(view.pageSizes[pageIndex], zoom * pointSize, view.devicePixelRatio);
}

} // namespace tolvo::pageview
