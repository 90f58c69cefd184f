// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/ViewCommands.h"

#include <QAction>

namespace tolvo {

namespace {

std::optional<int> tagOfItem(const QAction* item)
{
    if (!item)
        return std::nullopt;
    bool ok = false;
    const int tag = item->data().toInt(&ok);
    return ok ? std::optional<int>(tag) : std::nullopt;
}

} // namespace

std::optional<DisplayCommand> displayCommandForTag(int tag)
{
    if (tag < tagOf(DisplayCommand::BookDisplay) || tag > tagOf(DisplayCommand::TwoUpContinuous))
        return std::nullopt;
    return static_cast<DisplayCommand>(tag);
}

std::optional<ZoomCommand> zoomCommandForTag(int tag)
{
    if (tag < tagOf(ZoomCommand::ZoomToFit) || tag > tagOf(ZoomCommand::ActualSize))
        return std::nullopt;
    return static_cast<ZoomCommand>(tag);
}

void setCommand(QAction* item, DisplayCommand command)
{
    item->setData(tagOf(command));
}

void setCommand(QAction* item, ZoomCommand command)
{
    item->setData(tagOf(command));
}

std::optional<DisplayCommand> displayCommandOf(const QAction* item)
{
    const std::optional<int> tag = tagOfItem(item);
    return tag ? displayCommandForTag(*tag) : std::nullopt;
}

std::optional<ZoomCommand> zoomCommandOf(const QAction* item)
{
    const std::optional<int> tag = tagOfItem(item);
    return tag ? zoomCommandForTag(*tag) : std::nullopt;
}

} // namespace tolvo
