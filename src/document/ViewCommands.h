// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The View menu's display and zoom commands as types. Each command keeps the number
// its menu item has always carried as its tag, so items and commands convert both
// ways and a tag no item carries stands for no command.

#include <optional>

class QAction;

namespace tolvo {

/// Book display toggles; the four modes choose how pages are laid out (tags 1000 to 1004).
enum class DisplayCommand : int {
    BookDisplay = 1000,
    SinglePage = 1001,
    SinglePageContinuous = 1002,
    TwoUp = 1003,
    TwoUpContinuous = 1004,
};

/// The zoom commands (tags 401 to 404).
enum class ZoomCommand : int {
    ZoomToFit = 401,
    ZoomIn = 402,
    ZoomOut = 403,
    ActualSize = 404,
};

constexpr int tagOf(DisplayCommand command)
{
    return static_cast<int>(command);
}

constexpr int tagOf(ZoomCommand command)
{
    return static_cast<int>(command);
}

/// The command a tag stands for; nothing for a tag outside 1000 to 1004.
std::optional<DisplayCommand> displayCommandForTag(int tag);
/// The command a tag stands for; nothing for a tag outside 401 to 404.
std::optional<ZoomCommand> zoomCommandForTag(int tag);

/// Gives a menu item the command's tag.
void setCommand(QAction* item, DisplayCommand command);
void setCommand(QAction* item, ZoomCommand command);
/// The command of a menu item's tag; nothing for an item without one.
std::optional<DisplayCommand> displayCommandOf(const QAction* item);
std::optional<ZoomCommand> zoomCommandOf(const QAction* item);

} // namespace tolvo
