#pragma once
// The page view of every document window: over each page it draws a red box
// with the link prefix and the page's label, in the corner and at the size
// that the options say (read at every page drawn), and the target icon at the
// spot of the last location link made on the page.

#include "pageview/LabelOverlay.h"
#include "pageview/PageView.h"

#include <memory>

class QSvgRenderer;

namespace tolvo {
class Defaults;
}

namespace tolvo::pageview {

class LabelPDFView : public PageView {
    Q_OBJECT
public:
    /// A view that reads its options from Defaults::standard(); loads the target icon.
    explicit LabelPDFView(QWidget* parent = nullptr);
    ~LabelPDFView() override;

    /// Where the box is drawn: "Q1" top right, "Q2" top left, "Q3" bottom left, "Q4" bottom
    /// right, "None" no box; any other value draws at the bottom right.
    QString pageLabelLocation() const { return m_pageLabelLocation; }
    void setPageLabelLocation(const QString& location);

    /// The link prefix shown in the box.
    QString prefix() const { return m_prefix; }
    void setPrefix(const QString& prefix);

    /// Where the target icon is drawn (makeIconLocationData()); empty for no icon.
    QByteArray iconLocationData() const { return m_iconLocationData; }
    void setIconLocationData(const QByteArray& data);

    /// The store the box options are read from (not owned); Defaults::standard() unless set.
    void setDefaults(const Defaults* defaults);

    /// The target icon, loaded once with the view; invalid if the resource is missing.
    QSvgRenderer* targeticon() const { return m_targeticon.get(); }

    /// See the free function of the same name.
    static double fontSizeForAreaSize(const QSizeF& areaSize, const QString& text, const QString& fontName);

protected:
    /// The page, then the box and the icon in page space.
    void drawPage(QPainter& painter, int pageIndex) override;
    /// Concatenates the page transform onto the painter, which must be in the page's display
    /// space; afterwards it draws in page space.
    void transformContextForPage(QPainter& painter, int pageIndex) const;

private:
    const Defaults& defaults() const;

    QString m_pageLabelLocation = QString::fromLatin1(kLocationBottomRight);
    QString m_prefix;
    QByteArray m_iconLocationData;
    const Defaults* m_defaults = nullptr;
    std::unique_ptr<QSvgRenderer> m_targeticon;
};

} // namespace tolvo::pageview
