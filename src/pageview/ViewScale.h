// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The scale a page view draws a page at, from its viewport, zoom and screen: shared by the
// view and by the drawing of the first page ahead of it, which must come out the same.

#include "pageview/PageLayout.h"

#include <QSizeF>

#include <optional>

namespace tolvo::pageview {

/// The zoom's bounds: a fitted zoom may go below the smallest one a user can choose.
constexpr double kMinimumZoom = 0.1;
constexpr double kMinimumFittedZoom = 0.02;
constexpr double kMaximumZoom = 10;

/// A view's zoom setting: fitted to the viewport (fit), else the zoom factor (1 is actual size).
struct ZoomSetting {
    std::optional<PageLayout::Fit> fit = PageLayout::Fit::Automatic;
    double zoom = 1;
};

/// The zoom (1 is actual size) of a view laid out in a viewport of that size, showing shownPage,
/// with pointSize logical pixels per point at zoom 1.
double viewZoom(
    const PageLayout& layout, const ZoomSetting& setting, const QSizeF& viewport, int shownPage, double pointSize);

/// Logical pixels per point at zoom 1 on a screen of that logical resolution (0: unknown).
double pointSizeAt(double logicalDpi);

/// The scale, in device pixels per point, at which a page of displaySize points is drawn at
/// pixelsPerPoint logical pixels per point on a screen of that device pixel ratio: beyond a bound
/// on the image's pixels, the largest scale within it.
double drawingScale(const QSizeF& displaySize, double pixelsPerPoint, double devicePixelRatio);

/// What a view shows before anything moves it: for predicting the first page's drawing scale.
struct FirstView {
    QVector<QSizeF> pageSizes; ///< displayed sizes in points, every page (estimates allowed)
    DisplayMode mode = DisplayMode::SinglePageContinuous;
    bool book = false;
    ZoomSetting zoom;
    QSizeF viewport; ///< logical pixels
    double logicalDpi = 96;
    double devicePixelRatio = 1;
};

/// The scale at which such a view draws page pageIndex; nothing when it has no such page.
std::optional<double> firstDrawingScale(const FirstView& view, int pageIndex = 0);

} // namespace tolvo::pageview
