// SPDX-License-Identifier: GPL-3.0-or-later
// LabelPDFView's location links: the double-click with its drag, the modified
// double-clicks that also copy, and Copy.
#include "pageview/LabelPDFView.h"

#include "render/LinkMimeData.h"
#include "render/LocationLinks.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"

#include <QApplication>
#include <QDrag>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace tolvo::pageview {

namespace {

constexpr int kIconSize = 20;

void startCopyDrag(QWidget* source, std::unique_ptr<QMimeData> data, const QPixmap& image, QPoint hotSpot)
{
    auto* drag = new QDrag(source);
    drag->setMimeData(data.release());
    drag->setPixmap(image);
    drag->setHotSpot(hotSpot);
    drag->exec(Qt::CopyAction, Qt::CopyAction);
}

} // namespace

void LabelPDFView::applyUserPreferredFontToMutableAttributedString(RichText& text) const
{
    applyUserPreferredFont(text, installedUserFont(defaults()));
}

QPixmap LabelPDFView::targetIconImage() const
{
    const qreal ratio = devicePixelRatioF();
    QPixmap image(QSize(kIconSize, kIconSize) * ratio);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    if (m_targeticon && m_targeticon->isValid()) {
        QPainter painter(&image);
        m_targeticon->render(&painter, QRectF(0, 0, kIconSize, kIconSize));
    }
    return image;
}

void LabelPDFView::pageShiftClicked(QMouseEvent* event)
{
    event->accept();
}

void LabelPDFView::mouseReleaseEvent(QMouseEvent* event)
{
    m_iconLocationData.clear();
    PageView::mouseReleaseEvent(event);
}

void LabelPDFView::pageDoubleClicked(QMouseEvent* event)
{
    event->accept();
    const QPointF viewPoint = event->position();
    const int page = document() ? pageForPoint(viewPoint, true) : -1;
    if (page < 0)
        return;
    const QPointF point = convertPointToPage(viewPoint, page);
    if (!pageGeometry(page).cropBox.contains(point))
        return;

    const Defaults& store = defaults();
    const QString label = document()->pageLabel(page);
    const LinkRendering link = renderLink(currentLinkStyle(store), linkPrefix(), LinkPlace::location(label, point));
    RichText styled = link.styledLink(false);
    applyUserPreferredFontToMutableAttributedString(styled);

    const bool markdown = store.boolForKey(QString::fromLatin1(keys::kShouldUseMarkdownForCopy));
    std::unique_ptr<QMimeData> dragged = markdown ? plainTextMimeData(link.urlText) : richTextMimeData(styled);

    const bool intoNotes = store.boolForKey(QString::fromLatin1(keys::kShouldInsertTextInScratchPadOnCopy));
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if (modifiers & Qt::ControlModifier) {
        putOnClipboard(richTextMimeData(styled));
        if (intoNotes)
            emit insertClipboardRichTextRequested();
    }
    if (modifiers & Qt::AltModifier) {
        putOnClipboard(plainTextMimeData(link.markdownLink));
        if (intoNotes)
            emit insertClipboardPlainTextRequested();
    }

    setIconLocationData(makeIconLocationData(label, point));
    viewport()->update();

    const QPixmap image = targetIconImage();
    const QPoint hotSpot(kIconSize / 2, kIconSize / 2);
    if (m_dragStarter)
        m_dragStarter(std::move(dragged), image, hotSpot);
    else
        startCopyDrag(this, std::move(dragged), image, hotSpot);
}

void LabelPDFView::copyLocationLink(int pageIndex, const QPointF& point)
{
    if (!document() || pageIndex < 0 || pageIndex >= document()->pageCount()) {
        QApplication::beep();
        return;
    }
    const Defaults& store = defaults();
    const LinkRendering link = renderLink(
        currentLinkStyle(store), linkPrefix(), LinkPlace::location(document()->pageLabel(pageIndex), point));
    if (store.boolForKey(QString::fromLatin1(keys::kShouldUseMarkdownForCopy))) {
        putOnClipboard(plainTextMimeData(link.markdownLink));
        return;
    }
    RichText styled = link.styledLink(false);
    applyUserPreferredFontToMutableAttributedString(styled);
    putOnClipboard(richTextMimeData(styled));
}

void LabelPDFView::copy()
{
    const pdf::TextSelection& selection = currentSelection();
    const std::optional<LinkPlace> place
        = document() && !selection.text.isEmpty() ? selectionLinkPlace(*document(), selection) : std::nullopt;
    if (!place) {
        QApplication::beep();
        return;
    }
    const Defaults& store = defaults();
    const SelectionCopyOptions options = selectionCopyOptions(store);
    SelectionCopy copied = selectionCopy(selection.text, linkPrefix(), *place, options);
    if (options.markdown) {
        putOnClipboard(plainTextMimeData(copied.markdown));
    } else {
        applyUserPreferredFont(copied.rich, options.font);
        putOnClipboard(richTextMimeData(copied.rich));
    }
    if (store.boolForKey(QString::fromLatin1(keys::kShouldInsertTextInScratchPadOnCopy)))
        emit grabSelectedTextRequested();
}

} // namespace tolvo::pageview
