// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The outline as a source gives it: the abstract node the tree is built from,
// so that the core needs no PDF and tests build trees from plain data.

#include <QPointF>
#include <QString>

#include <memory>
#include <optional>

namespace tolvo {

/// Where an outline entry leads: the label of the destination page and a point
/// on it (page space, y growing upward).
struct OutlineNodeDestination {
    QString pageLabel;
    QPointF point;
};

/// One entry of a source outline with its children in order. The root of an
/// outline is a node too; only its children become items.
class OutlineNode {
public:
    virtual ~OutlineNode() = default;

    virtual int numberOfChildren() const = 0;
    /// The child at index (0 <= index < numberOfChildren()); may be a fresh wrapper.
    virtual std::unique_ptr<OutlineNode> childAtIndex(int index) const = 0;
    /// The entry's title.
    virtual QString label() const = 0;
    /// Where the entry leads; nothing when it leads nowhere.
    virtual std::optional<OutlineNodeDestination> destination() const = 0;
};

} // namespace tolvo
