// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The document window's three layouts: notes, TOC and pages; TOC hidden;
// sidebars folded. Each sets the window's width and moves the main dividers.

#include <QObject>

#include <functional>

class QWidget;

namespace tolvo {

class TLSplitView;

/// The layout commands of one document window over its main split view
/// (pane 0 notes, pane 1 TOC, pane 2 pages).
class WindowLayout : public QObject {
    Q_OBJECT
public:
    static constexpr int kThreePaneWidth = 1103;
    static constexpr int kMinimumWidth = 710;
    static constexpr int kNotesDivider = 250;
    static constexpr int kTocDivider = 500;
    static constexpr int kNotesTextWidth = 230;
    /// Notes and TOC together narrower than this count as folded.
    static constexpr int kFoldedThreshold = 15;
    /// A TOC pane narrower than this counts as hidden.
    static constexpr int kHiddenThreshold = 10;
    /// How much narrower than the notes pane its text views are.
    static constexpr int kNotesTextInset = 20;

    /// hideTOC answers whether the TOC pane stays hidden when the sidebars come back (the
    /// option to hide a missing TOC is on and the outline is empty); setNotesTextWidth gives
    /// the five notes text views a width.
    WindowLayout(QWidget* window, TLSplitView* mainSplitView, std::function<bool()> hideTOC,
        std::function<void(int)> setNotesTextWidth, QObject* parent = nullptr);

    /// Shows or hides the TOC pane; from folded sidebars brings back the two or three panes.
    void TOCToggleView();
    /// Window 1103 wide, dividers at 250 and 500, notes text 230 wide.
    void revertToIBDesignedThreeFrameWindow();
    /// Window at least 710 wide, dividers at 250 and 250.
    void revertToTwoFrameWindowWithMinimumIBWidth();
    /// Folds notes and TOC away and narrows the window by their width (to at least 710); when they
    /// are folded already, brings them back as they were (or as the TOC toggle would) and widens
    /// the window again.
    void collapseSidebarSplitViews();
    /// Keeps the window above others (true) or at the normal level.
    void keepWindowOnTopFired(bool onTop);
    /// The initial dividers of a new window: 250 and 500, or 250 and 250 for a hidden TOC.
    void positionInitialDividers();
    /// Keeps the notes text views as wide as the notes pane less the inset.
    void splitViewDidResizeSubviews();

    /// Whether the window manager decides the window's size (maximized or full screen): then the
    /// layouts move only the dividers.
    bool windowSizeIsManaged() const;

private:
    /// Sets the window's width, keeping its height; a maximized or full-screen window keeps its size.
    void setWindowWidth(int width);
    void unfoldSidebars();

    QWidget* m_window;
    TLSplitView* m_split;
    std::function<bool()> m_hideTOC;
    std::function<void(int)> m_setNotesTextWidth;
    /// The dividers before the last fold, for the next fold command to bring them back.
    int m_unfoldDivider0 = -1;
    int m_unfoldDivider1 = -1;
    /// How much the last fold narrowed the window.
    int m_unfoldWidening = 0;
};

} // namespace tolvo
