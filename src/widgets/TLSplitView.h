// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A splitter that moves its dividers with short animations.
//
// A divider's position is measured from the splitter's left (top) edge to the
// divider's near edge, so divider i sits where pane i ends.

#include <QList>
#include <QSplitter>
#include <QVariantMap>

#include <functional>

class QVariantAnimation;

namespace tolvo {

/// QSplitter that animates its dividers (0.25 s, ease-in-ease-out) and ignores
/// single-divider moves while one of its own animations runs.
class TLSplitView : public QSplitter {
    Q_OBJECT
    Q_PROPERTY(bool animating READ isAnimating)
public:
    static constexpr int kAnimationMs = 250;

    explicit TLSplitView(QWidget* parent = nullptr);
    explicit TLSplitView(Qt::Orientation orientation, QWidget* parent = nullptr);
    ~TLSplitView() override;

    /// Set while setPositionDivider0 or an animated setPosition runs, up to its end call.
    bool isAnimating() const { return m_animating; }

    /// Where divider index sits now; -1 for no such divider.
    int dividerPosition(int index) const;
    /// The length of pane index along the splitter (width or height); -1 for no such pane.
    int paneLength(int index) const;

    /// Animates the three panes so that dividers 0 and 1 land at p0 and p1, then
    /// sets both exactly with endAnimationComplex. Does not look at isAnimating.
    void setPositionDivider0(int p0, int p1);

    /// Moves one divider: ignored while animating; at once without animate (as
    /// far as the panes' minimum sizes let it go); animated otherwise, ending
    /// with endAnimation.
    void setPosition(int position, int dividerIndex, bool animate);

    /// Sets divider "dividerIndex" to "position" at once and clears the animating state.
    void endAnimation(const QVariantMap& info);
    /// Sets divider 0 to "position0", then divider 1 to "position1", at once, and clears the animating state.
    void endAnimationComplex(const QVariantMap& info);

    /// Animates the listed dividers to the positions (the setPositions:ofDividersAtIndexes:
    /// of every split view). False, and nothing moves, when the lists differ in length
    /// or name as many dividers as there are panes.
    bool setPositions(const QList<int>& positions, const QList<int>& indexes);

    /// Finishes a running animation at once, with its end step; nothing when none runs.
    void finishAnimation();
    /// An animation of the panes is under way (of any kind, unlike isAnimating).
    bool isAnimationRunning() const;

signals:
    /// setPositions started (true) or completed (false) its animation.
    void splitViewIsAnimating(bool animating);
    /// The panes changed size: a divider moved, by the user or by code, or the splitter resized.
    void subviewsResized();
    /// An animation of the panes has ended, after its end step.
    void animationFinished();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    /// Pane sizes that put the dividers at the given positions, in the current length.
    QList<int> sizesForPositions(const QList<int>& positions) const;
    int length() const;
    /// Runs an animation from the current sizes to `to`, then `done`.
    void animateSizes(const QList<int>& to, std::function<void()> done);

    bool m_animating = false;
    QVariantAnimation* m_animation = nullptr;
    std::function<void()> m_done;
};

} // namespace tolvo
