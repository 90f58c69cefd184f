// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/FirstPagePlan.h"

#include "document/RememberedPlaces.h"
#include "pageview/PageView.h"
#include "pageview/ViewScale.h"
#include "render/DisplaySpace.h"
#include "settings/FirstViewMemory.h"
#include "settings/PlaceMemory.h"

namespace tolvo {

std::optional<pageview::PageAhead::Plan> planFirstPage(
    const pdf::Document& document, const QString& path, const FirstPageInputs& inputs)
{
    const int count = document.pageCount();
    if (count <= 0)
        return std::nullopt;
    std::optional<RememberedPlace> place;
    if (!inputs.placesPath.isEmpty())
        place = PlaceMemory(inputs.placesPath)
                    .place(RememberedPlaces::identityOf(path, document.permanentId().value_or(QByteArray())));
    const std::optional<ShownView> shown
        = FirstViewMemory(inputs.firstViewsPath).viewFor(place ? place->windowSize : QSize());
    if (!shown)
        return std::nullopt;

    pageview::FirstView view;
    // The view measures the first pages at once and lays the others out like the last of them.
    const int measured = std::min(count, pageview::PageView::kPagesMeasuredFirst);
    view.pageSizes.reserve(count);
    for (int i = 0; i < measured; ++i)
        view.pageSizes.append(pageview::displaySizeOf(document.pageGeometry(i)));
    view.pageSizes.resize(count, view.pageSizes.back());
    view.viewport = shown->viewport;
    view.logicalDpi = shown->logicalDpi;
    view.devicePixelRatio = shown->devicePixelRatio;
    if (place) {
        view.mode = RememberedPlaces::displayModeOf(place->displayMode).value_or(view.mode);
        view.book = place->book;
        if (!place->autoScales)
            view.zoom = pageview::ZoomSetting { std::nullopt, place->scale };
    }
    // The window opens where the PDF was left (RememberedPlaces::applyView).
    const int page = RememberedPlaces::rememberedPage(place, count).value_or(kFirstPlannedPage);
    const std::optional<double> scale = pageview::firstDrawingScale(view, page);
    if (!scale)
        return std::nullopt;
    return pageview::PageAhead::Plan { page, *scale, inputs.style };
}

} // namespace tolvo
