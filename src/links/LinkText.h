// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How a link is rendered as text: the link styles, display texts, styled
// links, Markdown links and the user font.

#include "links/MarkdownText.h"
#include "links/RichText.h"

#include <QPointF>
#include <QString>

#include <optional>

namespace tolvo {

class Defaults;

/// The link style of TolvoURLRichTextPreference: its three values, and
/// anything else (no value included).
enum class LinkStyle { Expanded, Condensed, CondensedWithTOCTitle, Other };

/// The style a stored value names; an unknown or empty value gives Other.
LinkStyle linkStyleFromString(const QString& stored);
/// The stored value of a style; empty for Other.
QString linkStyleString(LinkStyle style);
/// The style stored now, read afresh at every call.
LinkStyle currentLinkStyle(const Defaults& defaults);

/// What a link points at, with the pieces its texts are made of.
struct LinkPlace {
    enum class Kind { Page, Toc, Location };

    Kind kind = Kind::Page;
    QString target; ///< what follows the prefix in the URL text, before the closing "/"
    QString pageLabel; ///< Page and Location: the page label
    QString tocTitle; ///< Toc: the item's title

    static LinkPlace page(const QString& pageLabel);
    /// A TOC link: the item's TOC target (its short title path) and its title.
    static LinkPlace toc(const QString& tocTarget, const QString& tocTitle);
    /// A location link; its target is "label/@loc/Xx/Yy" with the coordinates rounded.
    static LinkPlace location(const QString& pageLabel, QPointF point);

    /// The target as condensed texts show it: a location link shows its page label only.
    QString shownTarget() const;
};

/// "tolvo://" + prefix + target + "/".
QString urlText(const QString& prefix, const LinkPlace& place);

/// The visible text of a styled link, ending in one space:
/// Expanded "tolvo://" + prefix + target + "/ ", Condensed prefix + shown
/// target + "/ ", CondensedWithTOCTitle the same but a TOC link shows its
/// title, Other prefix + shown target + " ".
QString displayText(LinkStyle style, const QString& prefix, const LinkPlace& place);

/// Which characters of a display text a styled link covers.
enum class LinkCover {
    AllButClosingSpace, ///< the display texts of the styles: their closing space stays plain
    WholeText, ///< the fixed texts of the insert commands, which have no closing space
};

/// A rich text of the display text whose covered characters carry the link
/// (the URL text verbatim), blue, and a single underline when asked for. No font.
RichText styledLink(const QString& displayText, const QString& urlText, bool underline,
    LinkCover cover = LinkCover::AllButClosingSpace);

/// The Markdown label of a display text: without its closing "/ " for the
/// three named styles, without its closing " " for any other.
QString markdownLabel(LinkStyle style, const QString& displayText);

/// The URL text as a URI, for text/uri-list and text/x-moz-url: the text itself when every
/// character may stand in a URI as it is; else each character that may not (a blank, a letter
/// beyond ASCII, " < > [ \ ] ^ ` { | }, a control character, a "%" that starts no escape) and
/// every "%" percent-encoded as UTF-8, so that the text comes back exactly when decoded.
QString uriText(const QString& urlText);

/// The renderings of one link in one style.
struct LinkRendering {
    QString urlText;
    QString displayText;
    QString markdownLink;

    /// The styled link of displayText (closing space plain).
    RichText styledLink(bool underline) const;
};

/// Renders a link: its URL text, display text and Markdown link.
LinkRendering renderLink(LinkStyle style, const QString& prefix, const LinkPlace& place);

/// The user font as stored: the name and the size (points), unchecked. The
/// window layer checks that the font exists before applying it.
FontSpec storedUserFont(const Defaults& defaults);

/// Sets the font over the whole text, replacing any font there. Nothing (no
/// such font, or an empty family) leaves the text unchanged.
void applyUserPreferredFont(RichText& text, const std::optional<FontSpec>& font);

} // namespace tolvo
