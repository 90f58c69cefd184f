// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Opening and closing the search pane, the first pane of the window's search split view.

class QWidget;

namespace tolvo {

class Defaults;
class TLSplitView;

/// What the toggle moves besides the divider.
struct SearchViewWidgets {
    QWidget* pageView = nullptr; ///< laid out and redrawn after the divider moved
    QWidget* searchField = nullptr; ///< takes the focus when the pane opens
    QWidget* notesArea = nullptr; ///< the selected notes area, which takes the focus when the pane closes
};

/// A search pane shorter than this many points counts as closed.
inline constexpr double kSearchPaneClosedBelow = 10.0;

/// searchViewToggle: a closed pane opens to the height stored in TolvoSearchSplitViewDividerPosition
/// (the registered default when the stored one would leave it closed); an open one stores its
/// height there, flushes the store, and closes. Divider 0 moves without animation. Answers
/// whether the pane is open now; nothing changes while the split view animates.
bool searchViewToggle(TLSplitView& searchSplitView, Defaults& defaults, const SearchViewWidgets& widgets);

} // namespace tolvo
