// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The links that a drag or a copy of TOC items and search results carries:
// the rich text and the plain lines, built by the link style and options.

#include "links/LinkText.h"

#include <QList>
#include <QStringList>

#include <optional>
#include <vector>

namespace tolvo {

class Defaults;
class MyOutlineItem;
class OutlineTree;
struct MySearchResult;

/// The options of a drag or copy, read at its moment.
struct TransferOptions {
    LinkStyle style = LinkStyle::Other; ///< TolvoURLRichTextPreference
    bool underline = false; ///< TolvoShouldUnderlineURLs
    bool leadingTabs = false; ///< TolvoShouldAddLeadingTabs (TOC drag)
    bool tocTitle = false; ///< TolvoCopyTOCTitleWhenCopyingTOCLinks (TOC drag)
    bool markdown = false; ///< TolvoShouldUseMarkdownForCopy (TOC copy)
    std::optional<FontSpec> font; ///< the installed user font, over the whole rich text

    static TransferOptions read(const Defaults& defaults);
};

/// What a drag or copy writes: the rich text and the plain lines (to be joined by "\n").
struct LinkTransfer {
    RichText rich;
    QStringList lines;

    bool isEmpty() const { return lines.isEmpty(); }
    QString plainText() const { return lines.join(u'\n'); }
};

/// The drag of TOC items: per item its leading text (a tab per level below the top, then the
/// title and a space, as the options say) and its styled TOC link, " \n" between items; the
/// plain lines hold the leading text and the URL text. Items not in tree are left out.
LinkTransfer tocItemsDrag(const OutlineTree& tree, const QList<const MyOutlineItem*>& items, const QString& prefix,
    const TransferOptions& options);

/// The drag of search results: per result its description and a space, then its link (the TOC
/// link of a "TOC" result, else the link to its page), " \n" between results; the plain lines
/// hold the URL texts alone.
LinkTransfer searchResultsDrag(const OutlineTree& tree, const std::vector<const MySearchResult*>& results,
    const QString& prefix, const TransferOptions& options);

/// The Copy of TOC items: the styled TOC links, " \n" between them, and the Markdown lines
/// "* title [label](url)". No tabs and no leading titles.
LinkTransfer tocItemsCopy(const OutlineTree& tree, const QList<const MyOutlineItem*>& items, const QString& prefix,
    const TransferOptions& options);

} // namespace tolvo
