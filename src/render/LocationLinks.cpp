// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/LocationLinks.h"

#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"

#include <QFontDatabase>

namespace tolvo {

std::optional<FontSpec> installedUserFont(const Defaults& defaults)
{
    const FontSpec font = storedUserFont(defaults);
    if (font.family.isEmpty() || !QFontDatabase::hasFamily(font.family))
        return std::nullopt;
    return font;
}

std::optional<LinkPlace> selectionLinkPlace(const pdf::Document& document, const pdf::TextSelection& selection)
{
    const QVector<int> pages = selection.pages();
    if (pages.isEmpty() || pages.front() < 0 || pages.front() >= document.pageCount())
        return std::nullopt;
    const int page = pages.front();
    // Page space has y growing upward: the top edge is the rectangle's y plus its height.
    const QRectF bounds = selection.boundsForPage(page);
    return LinkPlace::location(document.pageLabel(page), QPointF(bounds.x(), bounds.y() + bounds.height()));
}

SelectionCopy selectionCopy(
    const QString& text, const QString& prefix, const LinkPlace& place, const SelectionCopyOptions& options)
{
    const LinkRendering link = renderLink(options.style, prefix, place);
    SelectionCopy copy;
    // With its link the copy is a line of Markdown, in which the page's text must read as it is.
    copy.markdown = options.appendLink ? markdownEscaped(text) + u' ' + link.markdownLink : text;
    copy.rich = RichText(text);
    if (options.appendLink) {
        RichText styled = link.styledLink(false);
        applyUserPreferredFont(styled, options.font);
        copy.rich.append(QStringLiteral(" "));
        copy.rich.append(styled);
    }
    return copy;
}

SelectionCopyOptions selectionCopyOptions(const Defaults& defaults)
{
    SelectionCopyOptions options;
    options.style = currentLinkStyle(defaults);
    options.markdown = defaults.boolForKey(QString::fromLatin1(keys::kShouldUseMarkdownForCopy));
    options.appendLink = defaults.boolForKey(QString::fromLatin1(keys::kShouldAppendURLOnCopy));
    options.font = installedUserFont(defaults);
    return options;
}

} // namespace tolvo
