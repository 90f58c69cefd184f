// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The TOC pane: the outline view over the document's outline tree and the
// five expand and collapse commands.

#include <QObject>
#include <QPointer>

#include "widgets/TLNSOutlineView.h"

#include <memory>

class QModelIndex;

namespace tolvo {

class MyOutlineItem;
class OutlineModel;
class OutlineTree;

/// Shows an outline tree in the outline view (22 points of indentation, no
/// editing); a row chosen by click or keys reports its item (the document handles the double-click).
class OutlinePane : public QObject {
    Q_OBJECT
public:
    static constexpr int kIndentation = 22;

    explicit OutlinePane(TLNSOutlineView* view, QObject* parent = nullptr);
    ~OutlinePane() override;

    /// Shows the tree (which must outlive the pane, or be replaced first).
    void setTree(const OutlineTree& tree);
    OutlineModel* treecontroller() const { return m_model.get(); }
    TLNSOutlineView* outlineview() const { return m_view; }

    /// Selects the item's row and scrolls to it, without reporting it as chosen.
    void selectItem(const MyOutlineItem* item);

    void TOCCollapseAllLevels();
    void TOCExpandAllLevels();
    void TOCExpandLevel1() { expandLevels(1); }
    void TOCExpandLevel2() { expandLevels(2); }
    void TOCExpandLevel3() { expandLevels(3); }

signals:
    /// The user chose the item's row: the page view goes to its extended page label.
    void itemChosen(const MyOutlineItem* item);

private:
    /// Expands the top `levels` levels (each node without its children) and collapses everything below.
    void expandLevels(int levels);
    void rowChosen(const QModelIndex& index);

    QPointer<TLNSOutlineView> m_view;
    std::unique_ptr<OutlineModel> m_model;
    bool m_selecting = false;
};

} // namespace tolvo
