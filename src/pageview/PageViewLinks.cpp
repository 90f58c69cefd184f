// SPDX-License-Identifier: GPL-3.0-or-later
// The page view and the PDF's own links: hit-testing, the hand pointer and the tool tips.
#include "pageview/PageView.h"

#include <QHelpEvent>
#include <QToolTip>

namespace tolvo::pageview {

const LinkArea* PageView::linkAt(const QPointF& viewPoint) const
{
    const int page = pageForPoint(viewPoint, false);
    if (page < 0)
        return nullptr;
    return m_links->linkAt(page, convertPointToPage(viewPoint, page));
}

QString PageView::linkDescription(const LinkArea& area)
{
    const pdf::PageLink& link = area.link;
    switch (link.kind) {
    case pdf::PageLink::Kind::Destination:
        return area.targetLabel.isEmpty() ? tr("Go to page %1").arg(link.destination.pageIndex + 1)
                                          : tr("Go to page %1").arg(area.targetLabel);
    case pdf::PageLink::Kind::Uri:
        return link.target;
    case pdf::PageLink::Kind::Named:
        if (link.target == u"NextPage")
            return tr("Next page");
        if (link.target == u"PrevPage")
            return tr("Previous page");
        if (link.target == u"FirstPage")
            return tr("First page");
        if (link.target == u"LastPage")
            return tr("Last page");
        if (link.target == u"GoBack")
            return tr("Back");
        if (link.target == u"GoForward")
            return tr("Forward");
        break;
    }
    return QString();
}

void PageView::hoverAt(const QPointF& viewPoint)
{
    const bool overLink = viewport()->rect().contains(viewPoint.toPoint()) && linkAt(viewPoint);
    if (overLink)
        viewport()->setCursor(Qt::PointingHandCursor);
    else
        viewport()->unsetCursor();
}

bool PageView::showLinkToolTip(QEvent* event)
{
    auto* help = static_cast<QHelpEvent*>(event);
    if (const LinkArea* link = linkAt(help->pos())) {
        const int page = pageForPoint(help->pos(), false);
        const QRect area = convertRectFromPage(link->link.area, page).toAlignedRect();
        QToolTip::showText(help->globalPos(), linkDescription(*link), viewport(), area);
    } else {
        QToolTip::hideText();
        event->ignore();
    }
    return true;
}

bool PageView::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip)
        return showLinkToolTip(event);
    if (event->type() == QEvent::Leave)
        viewport()->unsetCursor();
    return QAbstractScrollArea::viewportEvent(event);
}

} // namespace tolvo::pageview
