// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/LinkTransfers.h"

#include "outline/OutlineTree.h"
#include "render/LocationLinks.h"
#include "search/MySearchResult.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"

namespace tolvo {

namespace {

const QString kItemSeparator = QStringLiteral(" \n");

bool flag(const Defaults& defaults, const char* key)
{
    return defaults.boolForKey(QString::fromLatin1(key));
}

LinkPlace tocPlace(const OutlineTree& tree, const MyOutlineItem* item)
{
    return LinkPlace::toc(tree.makeShortURLForMOI(item), item->pageTitle());
}

// Appends one entry to the rich text: the separator unless it is the first, the plain lead, the styled link.
void appendEntry(RichText& rich, const QString& lead, const RichText& styled)
{
    if (!rich.isEmpty())
        rich.append(kItemSeparator);
    rich.append(lead);
    rich.append(styled);
}

} // namespace

TransferOptions TransferOptions::read(const Defaults& defaults)
{
    TransferOptions options;
    options.style = currentLinkStyle(defaults);
    options.underline = flag(defaults, keys::kShouldUnderlineURLs);
    options.leadingTabs = flag(defaults, keys::kShouldAddLeadingTabs);
    options.tocTitle = flag(defaults, keys::kCopyTOCTitleWhenCopyingTOCLinks);
    options.markdown = flag(defaults, keys::kShouldUseMarkdownForCopy);
    options.font = installedUserFont(defaults);
    return options;
}

LinkTransfer tocItemsDrag(const OutlineTree& tree, const QList<const MyOutlineItem*>& items, const QString& prefix,
    const TransferOptions& options)
{
    LinkTransfer transfer;
    for (const MyOutlineItem* item : items) {
        if (!item || !tree.contains(item))
            continue;
        const LinkRendering link = renderLink(options.style, prefix, tocPlace(tree, item));
        QString lead;
        if (options.leadingTabs)
            lead += QString(std::max(0, tree.levelOf(item) - 1), u'\t');
        if (options.tocTitle)
            lead += item->pageTitle() + u' ';
        appendEntry(transfer.rich, lead, link.styledLink(options.underline));
        transfer.lines.append(lead + link.urlText);
    }
    applyUserPreferredFont(transfer.rich, options.font);
    return transfer;
}

LinkTransfer searchResultsDrag(const OutlineTree& tree, const std::vector<const MySearchResult*>& results,
    const QString& prefix, const TransferOptions& options)
{
    LinkTransfer transfer;
    for (const MySearchResult* result : results) {
        if (!result)
            continue;
        const MyOutlineItem* item = result->outlineItem();
        const bool toc = result->resultType == QLatin1String(kResultTypeTOC) && item && tree.contains(item);
        const LinkPlace place = toc ? tocPlace(tree, item) : LinkPlace::page(result->pageLabel);
        const LinkRendering link = renderLink(options.style, prefix, place);
        appendEntry(transfer.rich, result->resultDescription + u' ', link.styledLink(options.underline));
        transfer.lines.append(link.urlText);
    }
    applyUserPreferredFont(transfer.rich, options.font);
    return transfer;
}

LinkTransfer tocItemsCopy(const OutlineTree& tree, const QList<const MyOutlineItem*>& items, const QString& prefix,
    const TransferOptions& options)
{
    LinkTransfer transfer;
    for (const MyOutlineItem* item : items) {
        if (!item || !tree.contains(item))
            continue;
        const LinkRendering link = renderLink(options.style, prefix, tocPlace(tree, item));
        appendEntry(transfer.rich, QString(), link.styledLink(options.underline));
        transfer.lines.append(QStringLiteral("* ") + markdownEscaped(item->pageTitle()) + u' ' + link.markdownLink);
    }
    applyUserPreferredFont(transfer.rich, options.font);
    return transfer;
}

} // namespace tolvo
