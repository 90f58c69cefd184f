// SPDX-License-Identifier: GPL-3.0-or-later
// Link rendering: display texts, styled links, Markdown links, the user font.
#include "links/LinkText.h"

#include "links/LinkGrammar.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"

namespace tolvo {

LinkStyle linkStyleFromString(const QString& stored)
{
    if (stored == QLatin1String(keys::kLinkStyleExpanded))
        return LinkStyle::Expanded;
    if (stored == QLatin1String(keys::kLinkStyleCondensed))
        return LinkStyle::Condensed;
    if (stored == QLatin1String(keys::kLinkStyleCondensedWithTOCTitle))
        return LinkStyle::CondensedWithTOCTitle;
    return LinkStyle::Other;
}

QString linkStyleString(LinkStyle style)
{
    switch (style) {
    case LinkStyle::Expanded:
        return QString::fromLatin1(keys::kLinkStyleExpanded);
    case LinkStyle::Condensed:
        return QString::fromLatin1(keys::kLinkStyleCondensed);
    case LinkStyle::CondensedWithTOCTitle:
        return QString::fromLatin1(keys::kLinkStyleCondensedWithTOCTitle);
    case LinkStyle::Other:
        break;
    }
    return {};
}

LinkStyle currentLinkStyle(const Defaults& defaults)
{
    return linkStyleFromString(defaults.stringForKey(QString::fromLatin1(keys::kURLRichTextPreference)));
}

LinkPlace LinkPlace::page(const QString& pageLabel)
{
    LinkPlace place;
    place.kind = Kind::Page;
    place.target = pageLabel;
    place.pageLabel = pageLabel;
    return place;
}

LinkPlace LinkPlace::toc(const QString& tocTarget, const QString& tocTitle)
{
    LinkPlace place;
    place.kind = Kind::Toc;
    place.target = tocTarget;
    place.tocTitle = tocTitle;
    return place;
}

LinkPlace LinkPlace::location(const QString& pageLabel, QPointF point)
{
    LinkPlace place;
    place.kind = Kind::Location;
    place.target = locationTarget(pageLabel, point);
    place.pageLabel = pageLabel;
    return place;
}

QString LinkPlace::shownTarget() const
{
    return kind == Kind::Location ? pageLabel : target;
}

QString urlText(const QString& prefix, const LinkPlace& place)
{
    switch (place.kind) {
    case LinkPlace::Kind::Page:
        return pageLink(prefix, place.target);
    case LinkPlace::Kind::Toc:
        return tocLink(prefix, place.target);
    case LinkPlace::Kind::Location:
        return kLinkScheme + prefix + place.target + u'/'; // as locationLink() writes it
    }
    return {};
}

QString displayText(LinkStyle style, const QString& prefix, const LinkPlace& place)
{
    switch (style) {
    case LinkStyle::Expanded:
        return kLinkScheme + prefix + place.target + QStringLiteral("/ ");
    case LinkStyle::Condensed:
        return prefix + place.shownTarget() + QStringLiteral("/ ");
    case LinkStyle::CondensedWithTOCTitle:
        return prefix + (place.kind == LinkPlace::Kind::Toc ? place.tocTitle : place.shownTarget())
            + QStringLiteral("/ ");
    case LinkStyle::Other:
        break;
    }
    return prefix + place.shownTarget() + u' ';
}

RichText styledLink(const QString& displayText, const QString& urlText, bool underline, LinkCover cover)
{
    RichText text(displayText);
    const qsizetype covered = cover == LinkCover::WholeText ? displayText.size() : displayText.size() - 1;
    if (covered <= 0)
        return text;
    text.changeAttributes(0, covered, [&](TextAttributes& a) {
        a.link = urlText;
        a.color = kLinkBlue;
        a.underline = underline;
    });
    return text;
}

QString markdownLabel(LinkStyle style, const QString& displayText)
{
    const qsizetype closing = style == LinkStyle::Other ? 1 : 2;
    return displayText.left(std::max<qsizetype>(0, displayText.size() - closing));
}

namespace {

// What RFC 3986 lets stand in a URI's path, query or fragment as it is ("%" aside).
bool mayStandInUri(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9')
        || QStringView(u"-._~:/?#@!$&'()*+,;=").contains(c);
}

bool isHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

} // namespace

QString uriText(const QString& urlText)
{
    bool asItIs = true;
    for (qsizetype i = 0; i < urlText.size() && asItIs; ++i) {
        const QChar c = urlText[i];
        if (c == u'%')
            asItIs = i + 2 < urlText.size() && isHexDigit(urlText[i + 1]) && isHexDigit(urlText[i + 2]);
        else
            asItIs = mayStandInUri(c);
    }
    if (asItIs)
        return urlText;
    // Each "%" encoded too: a decoded reading then gives the text back even where it held escapes.
    QString out;
    out.reserve(urlText.size() * 2);
    for (qsizetype i = 0; i < urlText.size(); ++i) {
        const QChar c = urlText[i];
        if (mayStandInUri(c)) {
            out += c;
            continue;
        }
        const qsizetype units
            = c.isHighSurrogate() && i + 1 < urlText.size() && urlText[i + 1].isLowSurrogate() ? 2 : 1;
        out += QString::fromLatin1(urlText.mid(i, units).toUtf8().toPercentEncoding());
        i += units - 1;
    }
    return out;
}

RichText LinkRendering::styledLink(bool underline) const
{
    return tolvo::styledLink(displayText, urlText, underline);
}

LinkRendering renderLink(LinkStyle style, const QString& prefix, const LinkPlace& place)
{
    LinkRendering r;
    r.urlText = urlText(prefix, place);
    r.displayText = displayText(style, prefix, place);
    r.markdownLink = markdownLink(markdownLabel(style, r.displayText), r.urlText);
    return r;
}

FontSpec storedUserFont(const Defaults& defaults)
{
    return FontSpec { defaults.stringForKey(QString::fromLatin1(keys::kFontNameForRichTextCopiedFromPDF)),
        double(defaults.floatForKey(QString::fromLatin1(keys::kFontSizeForRichTextCopiedFromPDF))) };
}

void applyUserPreferredFont(RichText& text, const std::optional<FontSpec>& font)
{
    if (!font || font->family.isEmpty())
        return;
    text.setFont(*font);
}

} // namespace tolvo
