// SPDX-License-Identifier: GPL-3.0-or-later
#include "pageview/LabelPDFView.h"

#include "settings/Defaults.h"

#include <QLoggingCategory>
#include <QSvgRenderer>

Q_LOGGING_CATEGORY(lcLabelView, "tolvo.pageview")

namespace tolvo::pageview {

LabelPDFView::LabelPDFView(QWidget* parent)
    : PageView(parent)
    , m_targeticon(std::make_unique<QSvgRenderer>(targetIconResourcePath()))
{
    if (!m_targeticon->isValid())
        qCWarning(lcLabelView) << "The target icon" << targetIconResourcePath() << "could not be loaded.";
}

LabelPDFView::~LabelPDFView() = default;

void LabelPDFView::setPageLabelLocation(const QString& location)
{
    if (location == m_pageLabelLocation)
        return;
    m_pageLabelLocation = location;
    viewport()->update();
}

void LabelPDFView::setPrefix(const QString& prefix)
{
    if (prefix == m_prefix)
        return;
    m_prefix = prefix;
    viewport()->update();
}

void LabelPDFView::setIconLocationData(const QByteArray& location)
{
    m_iconLocationData = location;
}

void LabelPDFView::setDefaults(const Defaults* defaults)
{
    m_defaults = defaults;
    viewport()->update();
}

const Defaults& LabelPDFView::defaults() const
{
    return m_defaults ? *m_defaults : Defaults::standard();
}

QString LabelPDFView::linkPrefix() const
{
    return m_linkPrefixSource ? m_linkPrefixSource() : m_prefix;
}

double LabelPDFView::fontSizeForAreaSize(const QSizeF& areaSize, const QString& text, const QString& fontName)
{
    return pageview::fontSizeForAreaSize(areaSize, text, fontName);
}

void LabelPDFView::transformContextForPage(QPainter& painter, int pageIndex) const
{
    // The page transform leaves y up; the painter's display space has y down.
    painter.setWorldTransform(transformForPageInDisplaySpace(pageGeometry(pageIndex)), true);
}

void LabelPDFView::drawPage(QPainter& painter, int pageIndex)
{
    PageView::drawPage(painter, pageIndex);
    if (!document())
        return;
    LabelOverlay overlay;
    overlay.location = m_pageLabelLocation;
    readLabelBoxOptions(defaults(), overlay);
    m_pageLabelLocation = overlay.location;
    overlay.prefix = m_prefix;
    overlay.pageLabel = document()->pageLabel(pageIndex);
    if (const auto icon = readIconLocationData(m_iconLocationData); icon && icon->first == overlay.pageLabel) {
        overlay.iconPoint = icon->second;
        overlay.icon = m_targeticon.get();
    }
    painter.save();
    transformContextForPage(painter, pageIndex);
    drawLabelOverlayInPageSpace(painter, pageGeometry(pageIndex).cropBox, overlay);
    painter.restore();
}

} // namespace tolvo::pageview
