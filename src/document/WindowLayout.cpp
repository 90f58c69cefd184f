// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/WindowLayout.h"

#include "widgets/TLSplitView.h"

#include <QWidget>

#include <algorithm>

namespace tolvo {

WindowLayout::WindowLayout(QWidget* window, TLSplitView* mainSplitView, std::function<bool()> hideTOC,
    std::function<void(int)> setNotesTextWidth, QObject* parent)
    : QObject(parent)
    , m_window(window)
    , m_split(mainSplitView)
    , m_hideTOC(std::move(hideTOC))
    , m_setNotesTextWidth(std::move(setNotesTextWidth))
{
    // New room from a wider window goes to the pages; the sidebars keep their widths.
    m_split->setStretchFactor(0, 0);
    m_split->setStretchFactor(1, 0);
    m_split->setStretchFactor(2, 1);
    // A new window shows its three panes at once; the first positioning then has nothing left to move.
    const int h = m_split->handleWidth();
    m_split->setSizes(
        { kNotesDivider, kTocDivider - kNotesDivider - h, std::max(0, kThreePaneWidth - kTocDivider - h) });
    connect(m_split, &TLSplitView::subviewsResized, this, &WindowLayout::splitViewDidResizeSubviews);
}

void WindowLayout::setWindowWidth(int width)
{
    m_window->resize(width, m_window->height());
    m_window->update();
}

void WindowLayout::TOCToggleView()
{
    const int notes = m_split->paneLength(0);
    const int toc = m_split->paneLength(1);
    if (notes + toc < kFoldedThreshold) {
        if (m_hideTOC && m_hideTOC())
            revertToTwoFrameWindowWithMinimumIBWidth();
        else
            revertToIBDesignedThreeFrameWindow();
    } else if (toc >= kHiddenThreshold) {
        revertToTwoFrameWindowWithMinimumIBWidth();
    } else {
        revertToIBDesignedThreeFrameWindow();
    }
}

void WindowLayout::revertToIBDesignedThreeFrameWindow()
{
    setWindowWidth(kThreePaneWidth);
    m_split->setPositions({ kNotesDivider, kTocDivider }, { 0, 1 });
    if (m_setNotesTextWidth)
        m_setNotesTextWidth(kNotesTextWidth);
}

void WindowLayout::revertToTwoFrameWindowWithMinimumIBWidth()
{
    setWindowWidth(std::max(m_window->width(), kMinimumWidth));
    m_split->setPositions({ kNotesDivider, kNotesDivider }, { 0, 1 });
}

void WindowLayout::collapseSidebarSplitViews()
{
    const int sidebars = m_split->paneLength(0) + m_split->paneLength(1);
    if (sidebars < kFoldedThreshold)
        return;
    m_split->setPositionDivider0(0, 0);
    setWindowWidth(std::max(m_window->width() - sidebars, kMinimumWidth));
}

void WindowLayout::keepWindowOnTopFired(bool onTop)
{
    const bool wasVisible = m_window->isVisible();
    m_window->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    // Changing a window's flags hides it; it comes back where it was.
    if (wasVisible)
        m_window->show();
}

void WindowLayout::positionInitialDividers()
{
    m_split->setPositionDivider0(kNotesDivider, m_hideTOC && m_hideTOC() ? kNotesDivider : kTocDivider);
}

void WindowLayout::splitViewDidResizeSubviews()
{
    if (m_setNotesTextWidth)
        m_setNotesTextWidth(std::max(0, m_split->paneLength(0) - kNotesTextInset));
}

} // namespace tolvo
