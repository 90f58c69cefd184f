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

bool WindowLayout::windowSizeIsManaged() const
{
    return m_window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen);
}

void WindowLayout::setWindowWidth(int width)
{
    if (windowSizeIsManaged())
        return;
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
    if (sidebars < kFoldedThreshold) {
        unfoldSidebars();
        return;
    }
    m_unfoldDivider0 = m_split->dividerPosition(0);
    m_unfoldDivider1 = m_split->dividerPosition(1);
    m_split->setPositionDivider0(0, 0);
    const int before = m_window->width();
    const int after = std::max(before - sidebars, kMinimumWidth);
    m_unfoldWidening = windowSizeIsManaged() ? 0 : std::max(0, before - after);
    setWindowWidth(after);
}

void WindowLayout::unfoldSidebars()
{
    if (m_unfoldDivider1 < kFoldedThreshold) {
        // Folded from the start, or by hand: the panes the TOC toggle would bring.
        TOCToggleView();
        return;
    }
    const int divider0 = m_unfoldDivider0;
    const int divider1 = m_unfoldDivider1;
    m_unfoldDivider0 = m_unfoldDivider1 = -1;
    // The window grows back first, so that the pages keep their room.
    if (m_unfoldWidening > 0)
        setWindowWidth(m_window->width() + m_unfoldWidening);
    m_unfoldWidening = 0;
    m_split->setPositionDivider0(divider0, divider1);
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
