// SPDX-License-Identifier: GPL-3.0-or-later
// The page view's mouse, wheel and keyboard handling and its text selection.
#include "pageview/PageView.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include <cmath>

namespace tolvo::pageview {

PageView::Hit PageView::hitAt(const QPointF& viewPoint) const
{
    const int page = pageForPoint(viewPoint, true);
    if (page < 0)
        return Hit {};
    return Hit { page, convertPointToPage(viewPoint, page) };
}

void PageView::selectTo(const QPointF& viewPoint)
{
    if (!m_document || m_selectionAnchor.pageIndex < 0)
        return;
    Hit from = m_selectionAnchor;
    Hit to = hitAt(viewPoint);
    if (to.pageIndex < 0)
        return;
    // The document reads forward in page order; a drag upwards across pages selects the same text.
    if (to.pageIndex < from.pageIndex)
        std::swap(from, to);
    setCurrentSelection(m_document->selectionFromPoint(from.pageIndex, from.point, to.pageIndex, to.point));
}

void PageView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    if (event->modifiers() & Qt::ShiftModifier) {
        pageShiftClicked(event);
        return;
    }
    m_followedLink = false;
    clearSelection();
    m_selectionAnchor = hitAt(event->position());
    // A press on a link follows it when released without a drag; a drag selects text as anywhere.
    if (const LinkArea* link = linkAt(event->position()))
        m_pressedLink = link->link;
    else
        m_pressedLink.reset();
    m_pressed = true;
    m_selecting = false;
    m_pressPoint = event->position();
    m_lastMousePoint = event->position();
    event->accept();
}

void PageView::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_pressed || !(event->buttons() & Qt::LeftButton)) {
        if (event->buttons() == Qt::NoButton)
            hoverAt(event->position());
        QAbstractScrollArea::mouseMoveEvent(event);
        return;
    }
    m_lastMousePoint = event->position();
    if (!m_selecting && (event->position() - m_pressPoint).manhattanLength() < QApplication::startDragDistance())
        return;
    m_selecting = true;
    m_pressedLink.reset();
    selectTo(event->position());
    // Dragging past the top or bottom edge scrolls on while the button stays down.
    const bool outside = event->position().y() < 0 || event->position().y() > viewport()->height();
    if (outside && !m_autoScrollTimer.isActive())
        m_autoScrollTimer.start();
    else if (!outside)
        m_autoScrollTimer.stop();
}

void PageView::mouseReleaseEvent(QMouseEvent* event)
{
    std::optional<pdf::PageLink> clicked;
    if (event->button() == Qt::LeftButton) {
        if (m_pressed && !m_selecting && m_pressedLink) {
            // Released on the link it was pressed on.
            const LinkArea* under = linkAt(event->position());
            if (under && under->link.area == m_pressedLink->area)
                clicked = m_pressedLink;
        }
        m_pressed = false;
        m_selecting = false;
        m_pressedLink.reset();
        m_autoScrollTimer.stop();
    }
    QAbstractScrollArea::mouseReleaseEvent(event);
    if (clicked) {
        m_followedLink = true;
        emit linkActivated(*clicked);
    }
}

void PageView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_pressed = false;
        m_pressedLink.reset();
        // Clicking a link twice in a row follows it once, and makes nothing of the place it led to.
        if (m_followedLink) {
            event->accept();
            return;
        }
        pageDoubleClicked(event);
        return;
    }
    QAbstractScrollArea::mouseDoubleClickEvent(event);
}

void PageView::pageDoubleClicked(QMouseEvent* event)
{
    const Hit hit = hitAt(event->position());
    if (!m_document || hit.pageIndex < 0)
        return;
    for (const pdf::TextWord& word : m_document->words(hit.pageIndex)) {
        if (word.bounds.normalized().contains(hit.point)) {
            pdf::TextSelection selection;
            selection.text = word.text;
            selection.lines.push_back(pdf::SelectionLine { hit.pageIndex, word.text, word.bounds.normalized() });
            m_selectionAnchor = hit;
            setCurrentSelection(selection);
            return;
        }
    }
}

void PageView::pageShiftClicked(QMouseEvent* event)
{
    if (m_selectionAnchor.pageIndex < 0) {
        m_selectionAnchor = hitAt(event->position());
        return;
    }
    selectTo(event->position());
}

void PageView::autoScroll()
{
    const double y = m_lastMousePoint.y();
    const double beyond = y < 0 ? y : y - viewport()->height();
    if (!m_pressed || beyond == 0) {
        m_autoScrollTimer.stop();
        return;
    }
    scrollBy(0, std::clamp(beyond, -60.0, 60.0));
    selectTo(m_lastMousePoint);
}

void PageView::wheelEvent(QWheelEvent* event)
{
    const int delta = event->angleDelta().y();
    if (event->modifiers() & Qt::ControlModifier) {
        if (delta != 0)
            setScale(m_scale * std::pow(2.0, delta / 480.0), event->position());
        event->accept();
        return;
    }
    if (!isContinuous(m_mode) && delta != 0) {
        QScrollBar* bar = verticalScrollBar();
        const bool atEnd = delta < 0 ? bar->value() >= bar->maximum() : bar->value() <= bar->minimum();
        if (atEnd) {
            // One notch against the edge turns the page.
            m_wheelTurnAccumulator += delta;
            if (std::abs(m_wheelTurnAccumulator) >= 120) {
                const bool forward = m_wheelTurnAccumulator < 0;
                m_wheelTurnAccumulator = 0;
                if (forward && canGoToNextPage()) {
                    goToNextPage();
                } else if (!forward && canGoToPreviousPage()) {
                    goToPreviousPage();
                    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
                }
            }
            event->accept();
            return;
        }
        m_wheelTurnAccumulator = 0;
    }
    QAbstractScrollArea::wheelEvent(event);
}

bool PageView::scrollWithinOrTurn(double dy)
{
    QScrollBar* bar = verticalScrollBar();
    if (!isContinuous(m_mode)) {
        if (dy > 0 && bar->value() >= bar->maximum()) {
            if (!canGoToNextPage())
                return false;
            goToNextPage();
            return true;
        }
        if (dy < 0 && bar->value() <= bar->minimum()) {
            if (!canGoToPreviousPage())
                return false;
            goToPreviousPage();
            bar->setValue(bar->maximum());
            return true;
        }
    }
    scrollBy(0, dy);
    return true;
}

void PageView::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        copy();
        return;
    }
    const double line = 3.0 * verticalScrollBar()->singleStep();
    // A page's worth, less a little so that a line stays in view across the step.
    const double page = std::max(line, viewport()->height() * 0.9);
    const bool hasHorizontal = horizontalScrollBar()->maximum() > 0;
    switch (event->key()) {
    case Qt::Key_Down:
        scrollWithinOrTurn(line);
        break;
    case Qt::Key_Up:
        scrollWithinOrTurn(-line);
        break;
    case Qt::Key_PageDown:
        scrollWithinOrTurn(page);
        break;
    case Qt::Key_PageUp:
        scrollWithinOrTurn(-page);
        break;
    case Qt::Key_Space:
        scrollWithinOrTurn(event->modifiers() & Qt::ShiftModifier ? -page : page);
        break;
    case Qt::Key_Left:
        if (hasHorizontal)
            scrollBy(-line, 0);
        else
            goToPreviousPage();
        break;
    case Qt::Key_Right:
        if (hasHorizontal)
            scrollBy(line, 0);
        else
            goToNextPage();
        break;
    case Qt::Key_Home:
        goToFirstPage();
        break;
    case Qt::Key_End:
        goToLastPage();
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
}

void PageView::copy()
{
    if (m_selection.isEmpty() || m_selection.text.isEmpty()) {
        QApplication::beep();
        return;
    }
    QApplication::clipboard()->setText(m_selection.text);
}

} // namespace tolvo::pageview
