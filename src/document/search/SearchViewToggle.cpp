// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/search/SearchViewToggle.h"

#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"
#include "widgets/TLSplitView.h"

#include <QWidget>

#include <cmath>

namespace tolvo {

namespace {

void relayout(QWidget* pageView)
{
    if (!pageView)
        return;
    pageView->updateGeometry();
    pageView->update();
}

// The stored height, or the registered one when the stored height would open the pane closed:
// a pane that cannot be opened by its own toggle is a trap.
double openHeight(const Defaults& defaults)
{
    const QString key = QString::fromLatin1(keys::kSearchSplitViewDividerPosition);
    const double stored = defaults.floatForKey(key);
    if (std::isfinite(stored) && stored >= kSearchPaneClosedBelow)
        return stored;
    const Defaults::Key* registered = defaults.registeredKey(key);
    const double fallback = registered ? registered->defaultValue.toDouble() : 0;
    return fallback >= kSearchPaneClosedBelow ? fallback : 170.0;
}

} // namespace

bool searchViewToggle(TLSplitView& splitView, Defaults& defaults, const SearchViewWidgets& widgets)
{
    const int height = splitView.paneLength(0);
    if (splitView.isAnimating())
        return height >= kSearchPaneClosedBelow;
    if (height < kSearchPaneClosedBelow) {
        splitView.setPosition(int(std::lround(openHeight(defaults))), 0, false);
        relayout(widgets.pageView);
        if (widgets.searchField)
            widgets.searchField->setFocus(Qt::OtherFocusReason);
        return true;
    }
    defaults.setValue(QString::fromLatin1(keys::kSearchSplitViewDividerPosition), float(height));
    defaults.synchronize();
    splitView.setPosition(0, 0, false);
    relayout(widgets.pageView);
    if (widgets.notesArea)
        widgets.notesArea->setFocus(Qt::OtherFocusReason);
    return false;
}

} // namespace tolvo
