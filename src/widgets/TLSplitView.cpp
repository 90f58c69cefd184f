// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/TLSplitView.h"

#include <QEasingCurve>
#include <QResizeEvent>
#include <QVariantAnimation>

#include <algorithm>
#include <numeric>

namespace tolvo {

namespace {

// The ease-in-ease-out timing of the desktop's own animations.
QEasingCurve easeInEaseOut()
{
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(0.42, 0.0), QPointF(0.58, 1.0), QPointF(1.0, 1.0));
    return curve;
}

} // namespace

TLSplitView::TLSplitView(QWidget* parent)
    : TLSplitView(Qt::Horizontal, parent)
{
}

TLSplitView::TLSplitView(Qt::Orientation orientation, QWidget* parent)
    : QSplitter(orientation, parent)
{
    connect(this, &QSplitter::splitterMoved, this, &TLSplitView::subviewsResized);
}

TLSplitView::~TLSplitView()
{
    if (m_animation)
        m_animation->stop();
}

int TLSplitView::length() const
{
    return orientation() == Qt::Horizontal ? width() : height();
}

int TLSplitView::paneLength(int index) const
{
    const QList<int> s = sizes();
    return index >= 0 && index < s.size() ? s[index] : -1;
}

int TLSplitView::dividerPosition(int index) const
{
    const QList<int> s = sizes();
    if (index < 0 || index + 1 >= s.size())
        return -1;
    return std::accumulate(s.begin(), s.begin() + index + 1, 0) + index * handleWidth();
}

QList<int> TLSplitView::sizesForPositions(const QList<int>& positions) const
{
    const int n = count();
    const int h = handleWidth();
    const int total = length();
    QList<int> result;
    int start = 0; // where the current pane begins
    for (int i = 0; i < n; ++i) {
        int end = total;
        if (i < n - 1) {
            // Each divider stays inside the room the dividers after it need.
            const int roomAfter = (n - 1 - i) * h;
            end = std::clamp(positions.value(i, start), start, std::max(start, total - roomAfter));
        }
        result.append(std::max(0, end - start));
        start = end + h;
    }
    return result;
}

void TLSplitView::animateSizes(const QList<int>& to, std::function<void()> done)
{
    finishAnimation();
    const QList<int> from = sizes();
    m_done = std::move(done);
    if (!m_animation) {
        m_animation = new QVariantAnimation(this);
        m_animation->setStartValue(0.0);
        m_animation->setEndValue(1.0);
        m_animation->setDuration(kAnimationMs);
        m_animation->setEasingCurve(easeInEaseOut());
    }
    m_animation->disconnect(this);
    connect(m_animation, &QVariantAnimation::valueChanged, this, [this, from, to](const QVariant& value) {
        const double t = value.toDouble();
        QList<int> now;
        for (qsizetype i = 0; i < to.size(); ++i) {
            const int a = from.value(i);
            now.append(int(std::lround(a + (to[i] - a) * t)));
        }
        setSizes(now);
        emit subviewsResized();
    });
    connect(m_animation, &QVariantAnimation::finished, this, [this] {
        std::function<void()> finish = std::move(m_done);
        m_done = nullptr;
        if (finish)
            finish();
        emit animationFinished();
    });
    m_animation->start();
}

bool TLSplitView::isAnimationRunning() const
{
    return m_animation && m_animation->state() == QAbstractAnimation::Running;
}

void TLSplitView::finishAnimation()
{
    if (!m_animation || m_animation->state() != QAbstractAnimation::Running)
        return;
    // Jumping to the end runs the end step through the finished signal.
    m_animation->setCurrentTime(m_animation->duration());
}

void TLSplitView::setPositionDivider0(int p0, int p1)
{
    if (count() < 3)
        return;
    finishAnimation();
    m_animating = true;
    const int total = length();
    // The panes as the two positions cut the splitter; the end step puts the dividers exactly.
    QList<int> to = { std::max(0, p0), std::max(0, p1 - p0), std::max(0, total - p1) };
    for (int i = 3; i < count(); ++i)
        to.append(0);
    animateSizes(to, [this, p0, p1] {
        endAnimationComplex({ { QStringLiteral("position0"), p0 }, { QStringLiteral("position1"), p1 } });
    });
}

void TLSplitView::setPosition(int position, int dividerIndex, bool animate)
{
    if (m_animating || dividerIndex < 0 || dividerIndex + 1 >= count())
        return;
    if (!animate) {
        if (isVisible()) {
            moveSplitter(position, dividerIndex + 1);
        } else {
            // Before the first layout the handles have no place to move from.
            QList<int> positions;
            for (int i = 0; i + 1 < count(); ++i)
                positions.append(i == dividerIndex ? position : dividerPosition(i));
            setSizes(sizesForPositions(positions));
        }
        emit subviewsResized();
        return;
    }
    finishAnimation();
    m_animating = true;
    QList<int> positions;
    for (int i = 0; i + 1 < count(); ++i)
        positions.append(i == dividerIndex ? position : dividerPosition(i));
    // A folded neighbour is shown again from nothing.
    for (int pane : { dividerIndex, dividerIndex + 1 })
        if (widget(pane) && widget(pane)->isHidden())
            widget(pane)->show();
    animateSizes(sizesForPositions(positions), [this, position, dividerIndex] {
        endAnimation({ { QStringLiteral("position"), position }, { QStringLiteral("dividerIndex"), dividerIndex } });
    });
}

void TLSplitView::endAnimation(const QVariantMap& info)
{
    const int index = info.value(QStringLiteral("dividerIndex")).toInt();
    if (index >= 0 && index + 1 < count()) {
        moveSplitter(info.value(QStringLiteral("position")).toInt(), index + 1);
        emit subviewsResized();
    }
    m_animating = false;
}

void TLSplitView::endAnimationComplex(const QVariantMap& info)
{
    if (count() >= 3) {
        // Divider 0 first: a divider 1 sent onto it lands just after it, folding the middle pane.
        QList<int> positions;
        for (int i = 0; i + 1 < count(); ++i)
            positions.append(dividerPosition(i));
        positions[0] = info.value(QStringLiteral("position0")).toInt();
        positions[1] = info.value(QStringLiteral("position1")).toInt();
        setSizes(sizesForPositions(positions));
        emit subviewsResized();
    }
    m_animating = false;
}

bool TLSplitView::setPositions(const QList<int>& positions, const QList<int>& indexes)
{
    if (positions.size() != indexes.size() || indexes.size() >= count())
        return false;
    for (int index : indexes)
        if (index < 0 || index + 1 >= count())
            return false;

    // The panes as runs along the splitter: where each starts and how long it is.
    const int h = handleWidth();
    const int total = length();
    QList<int> start;
    QList<int> size = sizes();
    int x = 0;
    for (int s : size) {
        start.append(x);
        x += s + h;
    }
    for (int index : indexes) {
        const int p = positions[indexes.indexOf(index)];
        const int farEdge = start[index + 1] + size[index + 1];
        size[index] = std::max(0, p - start[index]);
        const int t = p < total ? h : 0;
        start[index + 1] = p + t;
        size[index + 1] = std::max(0, farEdge - p - t);
    }
    // Folded panes may leave frames overlapping by a divider; the dividers' places are what counts.
    QList<int> dividers;
    for (int i = 0; i + 1 < count(); ++i)
        dividers.append(start[i] + size[i]);
    emit splitViewIsAnimating(true);
    animateSizes(sizesForPositions(dividers), [this] { emit splitViewIsAnimating(false); });
    return true;
}

void TLSplitView::resizeEvent(QResizeEvent* event)
{
    QSplitter::resizeEvent(event);
    emit subviewsResized();
}

} // namespace tolvo
