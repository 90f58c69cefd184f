// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The tolvo:// link grammar: writing every link form, cutting an incoming URL
// into prefix and target, and deciding what a target names.
//
// Pure functions. Reading a target needs the document's pages and outline only
// through two injected lookups, so the grammar is tested without a PDF.

#include <QLatin1String>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace tolvo {

/// The scheme every link starts with, compared case-sensitively as plain text.
inline constexpr QLatin1String kLinkScheme { "tolvo://" };
/// The prefix of the user guide.
inline constexpr QLatin1String kAppHelpPrefix { "apphelp/" };
/// The user guide as a whole, and its two preference sections.
inline constexpr QLatin1String kAppHelpLink { "tolvo://apphelp/" };
inline constexpr QLatin1String kAppHelpPrefixLink { "tolvo://apphelp/preferences/prefix" };
inline constexpr QLatin1String kAppHelpAutomatchLink { "tolvo://apphelp/preferences/automatch" };

// ---- Writing ---------------------------------------------------------------

/// A page coordinate as "%0.0f" prints it: nearest whole number, halves to
/// even, "-0" for values from -0.5 to -0. A value that is not finite gives "0".
QString formatCoordinate(double value);

/// "label/@loc/Xx/Yy/": a page label with the point of a spot on that page.
QString extendedPageLabel(const QString& pageLabel, QPointF point);

/// "label/@loc/Xx/Yy": the target of a location link.
QString locationTarget(const QString& pageLabel, QPointF point);

/// "tolvo://" + prefix + page label + "/".
QString pageLink(const QString& prefix, const QString& pageLabel);

/// "tolvo://" + prefix + TOC target + "/"; a TOC target that is an extended
/// page label gives a link ending in "//", which readers accept.
QString tocLink(const QString& prefix, const QString& tocTarget);

/// "tolvo://" + prefix + location target + "/".
QString locationLink(const QString& prefix, const QString& pageLabel, QPointF point);

/// "tolvo://" + prefix: the PDF as a whole.
QString wholePdfLink(const QString& prefix);

/// "tolvo://" + prefix + extended page label: the link of an OPML outline item.
QString opmlItemLink(const QString& prefix, const QString& extendedPageLabel);

// ---- Page labels -----------------------------------------------------------

/// For a text holding "@loc", its first non-empty "/"-piece (the plain page
/// label); any other text unchanged.
QString cleanPageLabel(const QString& text);

/// cleanPageLabel for table display; nothing gives nothing.
std::optional<QString> PageLabelFromExtendedPageLabel(const std::optional<QString>& value);

// ---- Cutting a URL ---------------------------------------------------------

/// A URL cut at the candidate prefix that fits it best.
struct LinkParts {
    QString prefix; ///< the candidate that fitted
    QString target; ///< the rest of the URL, possibly empty, exactly as received
    qsizetype candidateIndex {}; ///< its position in the candidate list
};

/// The text with each "%" and two hex digits read as a byte of UTF-8 (bytes that are no UTF-8
/// give U+FFFD); a "%" without two hex digits after it stays as it is.
QString percentDecoded(const QString& text);

/// Of the candidates for which "tolvo://" + candidate is a case-sensitive string
/// prefix of url, the longest wins (book/x/ names a PDF of its own, which book/
/// must not take), the first in order among equals. Empty candidates are skipped:
/// they would claim every link. Nothing when no candidate fits.
std::optional<LinkParts> splitLinkURL(const QString& url, const QStringList& candidates);

// ---- Reading a target ------------------------------------------------------

/// The page index of the first page whose label equals the text exactly.
using PageLabelLookup = std::function<std::optional<int>(const QString& label)>;

/// Matches title path components (non-empty) against the outline; gives an id
/// of the first matching item that the caller understands, or nothing.
using OutlineMatcher = std::function<std::optional<int>(const QStringList& components)>;

/// A well-formed location target, taken apart.
struct LocationTarget {
    QString pageLabel; ///< the first non-empty "/"-piece
    QPointF point; ///< x and y as 32-bit floats, always finite
};

/// The location that target names, when it holds "@loc" and ends in the pieces
/// "@loc", "...x", "...y" (empty pieces ignored). The numbers are read by the
/// leading-number rule: leading white space skipped, an optional sign, digits
/// with an optional "." and exponent, reading stops at the first unit that
/// cannot continue them, no number gives 0. "inf", "nan" and hexadecimal forms
/// are no numbers (they give 0); a number beyond the 32-bit float range makes
/// the location malformed, a tiny one gives 0.
std::optional<LocationTarget> parseLocationTarget(const QString& target);

/// What a target names, decided; the window moves accordingly.
struct TargetReading {
    enum class Kind {
        None, ///< nothing moves
        Page, ///< go to pageIndex
        TitlePath, ///< select outline item matchId and show its extended page label
        Location, ///< show locationRect() on pageIndex
    };
    Kind kind = Kind::None;
    int pageIndex = -1; ///< Page and Location
    int matchId = -1; ///< TitlePath: what the outline matcher gave
    QPointF origin; ///< Location: origin of the 1-by-1 rectangle, page space (y up)

    QRectF locationRect() const { return QRectF(origin, QSizeF(1, 1)); }
};

/// Reads a target as a location or a page label: a well-formed location whose
/// page label names a page gives Location; otherwise the candidate label (the
/// first piece of a text with "@loc", else the whole text) loses one trailing
/// "/" and names a page or nothing. An empty candidate label names nothing, so
/// a whole-PDF link never moves the view.
TargetReading readLocationOrPageLabel(const QString& target, const PageLabelLookup& pageForLabel);

/// The page that target names as a plain page label: less one trailing "/",
/// exactly the label of a page (the first page with it). A well-formed location
/// target is never a plain page label.
std::optional<int> plainPageLabelPage(const QString& target, const PageLabelLookup& pageForLabel);

/// Reads a link target or typed target: a plain page label first
/// (plainPageLabelPage), then a title path that the outline matches, else
/// readLocationOrPageLabel.
TargetReading readTarget(
    const QString& target, const PageLabelLookup& pageForLabel, const OutlineMatcher& matchOutline);

} // namespace tolvo
