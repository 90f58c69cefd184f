// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/OutlinePane.h"

#include "outline/OutlineModel.h"
#include "outline/OutlineTree.h"
#include "widgets/TLNSOutlineView.h"

#include <QHeaderView>
#include <QItemSelectionModel>

namespace tolvo {

OutlinePane::OutlinePane(TLNSOutlineView* view, QObject* parent)
    : QObject(parent)
    , m_view(view)
{
    m_view->setIndentation(kIndentation);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setExpandsOnDoubleClick(false);
    m_view->setUniformRowHeights(true);
    connect(m_view, &QAbstractItemView::clicked, this, &OutlinePane::rowChosen);
}

OutlinePane::~OutlinePane()
{
    // The view lives in the window and may outlive the model for a moment.
    if (m_view)
        m_view->setModel(nullptr);
}

void OutlinePane::setTree(const OutlineTree& tree)
{
    auto model = std::make_unique<OutlineModel>(tree);
    m_view->setModel(model.get());
    m_model = std::move(model);
    QHeaderView* header = m_view->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(OutlineModel::TitleColumn, QHeaderView::Stretch);
    header->setSectionResizeMode(OutlineModel::PageLabelColumn, QHeaderView::ResizeToContents);
    // Keys move the selection, and the pages follow it, as a click does.
    connect(
        m_view->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& current) {
            if (!m_selecting)
                rowChosen(current);
        });
}

void OutlinePane::rowChosen(const QModelIndex& index)
{
    if (const MyOutlineItem* item = OutlineModel::itemForIndex(index))
        emit itemChosen(item);
}

void OutlinePane::selectItem(const MyOutlineItem* item)
{
    if (!m_model)
        return;
    const QModelIndex index = m_model->indexPathForMOI(item);
    if (!index.isValid())
        return;
    m_selecting = true;
    m_view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_view->scrollTo(index);
    m_selecting = false;
}

void OutlinePane::TOCCollapseAllLevels()
{
    m_view->collapseAll();
}

void OutlinePane::TOCExpandAllLevels()
{
    m_view->expandAll();
}

void OutlinePane::expandLevels(int levels)
{
    // expandToDepth forgets every other expansion first, so the levels below end collapsed.
    m_view->expandToDepth(levels - 1);
}

} // namespace tolvo
