// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The page view of every document window: over each page it draws a red box
// with the link prefix and the page's label, in the corner and at the size
// that the options say (read at every page drawn), and the target icon at the
// spot of the last location link made on the page. A double-click makes the
// location link of the point and drags it out; Copy copies the selection with
// its location link.

#include "pageview/PageView.h"
#include "render/LabelOverlay.h"

#include <functional>
#include <memory>

class QMimeData;
class QSvgRenderer;

namespace tolvo {
class Defaults;
class RichText;
} // namespace tolvo

namespace tolvo::pageview {

class LabelPDFView : public PageView {
    Q_OBJECT
public:
    /// Starts a drag of data with the image, hotSpot being the image point under the mouse.
    using DragStarter = std::function<void(std::unique_ptr<QMimeData> data, const QPixmap& image, QPoint hotSpot)>;

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

    /// Gives the prefix a link made on the page carries, at the moment it is made (the
    /// document may store a prefix first); without one, links carry the prefix shown.
    using LinkPrefixSource = std::function<QString()>;
    void setLinkPrefixSource(LinkPrefixSource source) { m_linkPrefixSource = std::move(source); }

    /// Where the target icon is drawn (makeIconLocationData()); empty for no icon.
    QByteArray iconLocationData() const { return m_iconLocationData; }
    void setIconLocationData(const QByteArray& location);

    /// The store the box options are read from (not owned); Defaults::standard() unless set.
    void setDefaults(const Defaults* defaults);

    /// The target icon, loaded once with the view; invalid if the resource is missing.
    QSvgRenderer* targeticon() const { return m_targeticon.get(); }

    /// How the double-click's drag is started; by default a QDrag that copies, run at once.
    void setDragStarter(DragStarter starter) { m_dragStarter = std::move(starter); }

    /// Gives the whole text the user font for copied rich text, when that font is installed.
    void applyUserPreferredFontToMutableAttributedString(RichText& text) const;

    /// Puts the location link of a point of a page on the clipboard as Copy puts a selection's: the
    /// Markdown link as plain text with the Markdown option on, else the styled link as rich text.
    void copyLocationLink(int pageIndex, const QPointF& point);

    /// The target icon as the drag image: 20 by 20 points.
    QPixmap targetIconImage() const;

public slots:
    /// Copies the selected text with its location link (plain Markdown or rich text, as the
    /// options say), and with the notes option on has the document insert it into the notes too.
    /// Beeps, leaving the clipboard, when nothing is selected.
    void copy() override;

signals:
    /// The clipboard's rich text should go into the selected notes area (insertClipboardRichText).
    void insertClipboardRichTextRequested();
    /// The clipboard's plain text should go into the selected notes area (insertClipboardPlainText).
    void insertClipboardPlainTextRequested();
    /// The selection with its location link should go into the selected notes area (grabSelectedText).
    void grabSelectedTextRequested();

public:
    /// See the free function of the same name.
    static double fontSizeForAreaSize(const QSizeF& areaSize, const QString& text, const QString& fontName);

protected:
    /// The page, then the box and the icon in page space.
    void drawPage(QPainter& painter, int pageIndex) override;
    /// Concatenates the page transform onto the painter, which must be in the page's display
    /// space; afterwards it draws in page space.
    void transformContextForPage(QPainter& painter, int pageIndex) const;
    /// Makes the location link of the point and starts dragging it; with Ctrl its RTF, with Alt
    /// its Markdown link also goes on the clipboard. Beside the pages it does nothing.
    void pageDoubleClicked(QMouseEvent* event) override;
    /// Swallowed: a Shift-click changes nothing.
    void pageShiftClicked(QMouseEvent* event) override;
    /// Clears the icon place; the icon goes at the next redraw.
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    const Defaults& defaults() const;
    QString linkPrefix() const;

    QString m_pageLabelLocation = QString::fromLatin1(kLocationBottomRight);
    QString m_prefix;
    QByteArray m_iconLocationData;
    const Defaults* m_defaults = nullptr;
    std::unique_ptr<QSvgRenderer> m_targeticon;
    DragStarter m_dragStarter;
    LinkPrefixSource m_linkPrefixSource;
};

} // namespace tolvo::pageview
