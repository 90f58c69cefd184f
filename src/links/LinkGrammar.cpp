// SPDX-License-Identifier: GPL-3.0-or-later
// The tolvo:// link grammar.
#include "links/LinkGrammar.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <system_error>
#include <utility>

namespace tolvo {

namespace {

const QLatin1String kLocationMarker { "@loc" };

// The leading number of text as a 32-bit float; nothing when it lies beyond
// the float range, since a coordinate has to be finite.
std::optional<float> leadingNumber(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i].isSpace())
        ++i;

    std::string number; // the recognised characters, for std::from_chars
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        if (text[i] == u'-')
            number += '-';
        ++i;
    }
    auto isDigit = [&](qsizetype k) { return k < n && text[k] >= u'0' && text[k] <= u'9'; };

    // Decimal magnitude of the first significant digit, to tell an overflow
    // from an underflow when the value does not fit.
    long long magnitude = 0;
    bool significant = false;
    bool anyDigit = false;
    for (; isDigit(i); ++i) {
        anyDigit = true;
        significant = significant || text[i] != u'0';
        if (significant)
            ++magnitude;
        number += char(text[i].unicode());
    }
    if (i < n && text[i] == u'.') {
        number += '.';
        for (++i; isDigit(i); ++i) {
            anyDigit = true;
            if (!significant && text[i] == u'0')
                --magnitude;
            significant = significant || text[i] != u'0';
            number += char(text[i].unicode());
        }
    }
    if (!anyDigit)
        return 0.0f;

    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype k = i + 1;
        const bool negativeExponent = k < n && text[k] == u'-';
        if (k < n && (text[k] == u'+' || text[k] == u'-'))
            ++k;
        if (isDigit(k)) {
            number += negativeExponent ? "e-" : "e";
            long long exponent = 0;
            for (; isDigit(k); ++k) {
                exponent = std::min(exponent * 10 + (text[k].unicode() - u'0'), 1000000000LL);
                number += char(text[k].unicode());
            }
            magnitude += negativeExponent ? -exponent : exponent;
        }
    }

    float value = 0.0f;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    (void)end;
    if (error == std::errc())
        return value;
    if (error == std::errc::result_out_of_range && magnitude <= 0)
        return number.front() == '-' ? -0.0f : 0.0f;
    return std::nullopt;
}

// "@loc" third from the end, followed by pieces ending in "x" and "y".
std::optional<LocationTarget> locationFromPieces(const QStringList& pieces)
{
    const qsizetype n = pieces.size();
    if (n < 3 || pieces[n - 3] != kLocationMarker || !pieces[n - 2].endsWith(u'x') || !pieces[n - 1].endsWith(u'y'))
        return std::nullopt;
    const std::optional<float> x = leadingNumber(QStringView(pieces[n - 2]).chopped(1));
    const std::optional<float> y = leadingNumber(QStringView(pieces[n - 1]).chopped(1));
    if (!x || !y)
        return std::nullopt;
    return LocationTarget { pieces.front(), QPointF(double(*x), double(*y)) };
}

std::optional<int> lookUp(const PageLabelLookup& pageForLabel, const QString& label)
{
    if (label.isEmpty() || !pageForLabel)
        return std::nullopt;
    return pageForLabel(label);
}

} // namespace

QString formatCoordinate(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("0");
    char buffer[400]; // the largest double prints 309 digits
    const int length = std::snprintf(buffer, sizeof buffer, "%.0f", value);
    if (length <= 0 || length >= int(sizeof buffer))
        return QStringLiteral("0");
    return QString::fromLatin1(buffer, length);
}

QString locationTarget(const QString& pageLabel, QPointF point)
{
    return pageLabel + QLatin1String("/@loc/") + formatCoordinate(point.x()) + QLatin1String("x/")
        + formatCoordinate(point.y()) + QLatin1Char('y');
}

QString extendedPageLabel(const QString& pageLabel, QPointF point)
{
    return locationTarget(pageLabel, point) + QLatin1Char('/');
}

QString pageLink(const QString& prefix, const QString& pageLabel)
{
    return kLinkScheme + prefix + pageLabel + QLatin1Char('/');
}

QString tocLink(const QString& prefix, const QString& tocTarget)
{
    return kLinkScheme + prefix + tocTarget + QLatin1Char('/');
}

QString locationLink(const QString& prefix, const QString& pageLabel, QPointF point)
{
    return kLinkScheme + prefix + locationTarget(pageLabel, point) + QLatin1Char('/');
}

QString wholePdfLink(const QString& prefix)
{
    return kLinkScheme + prefix;
}

QString opmlItemLink(const QString& prefix, const QString& extendedPageLabel)
{
    return kLinkScheme + prefix + extendedPageLabel;
}

QString cleanPageLabel(const QString& text)
{
    if (!text.contains(kLocationMarker))
        return text;
    // A text holding "@loc" always has a non-empty piece: "@loc" itself has no "/".
    return text.split(u'/', Qt::SkipEmptyParts).front();
}

std::optional<QString> PageLabelFromExtendedPageLabel(const std::optional<QString>& value)
{
    if (!value)
        return std::nullopt;
    return cleanPageLabel(*value);
}

QString percentDecoded(const QString& text)
{
    const auto hex = [&text](qsizetype i) {
        const char16_t c = text[i].unicode();
        return c >= u'0' && c <= u'9' ? c - u'0'
            : c >= u'a' && c <= u'f'  ? c - u'a' + 10
            : c >= u'A' && c <= u'F'  ? c - u'A' + 10
                                      : -1;
    };
    const auto isEscape
        = [&](qsizetype i) { return text[i] == u'%' && i + 2 < text.size() && hex(i + 1) >= 0 && hex(i + 2) >= 0; };
    if (!text.contains(u'%'))
        return text;
    QString out;
    out.reserve(text.size());
    QByteArray bytes; // a run of escapes, decoded together: a character may take several
    for (qsizetype i = 0; i < text.size();) {
        if (isEscape(i)) {
            bytes += char(hex(i + 1) * 16 + hex(i + 2));
            i += 3;
            continue;
        }
        if (!bytes.isEmpty())
            out += QString::fromUtf8(std::exchange(bytes, {}));
        out += text[i++];
    }
    out += QString::fromUtf8(bytes);
    return out;
}

std::optional<LinkParts> splitLinkURL(const QString& url, const QStringList& candidates)
{
    if (!url.startsWith(kLinkScheme))
        return std::nullopt;
    const QStringView rest = QStringView(url).sliced(kLinkScheme.size());
    qsizetype best = -1;
    for (qsizetype n = 0; n < candidates.size(); ++n) {
        const QString& candidate = candidates[n];
        if (!candidate.isEmpty() && rest.startsWith(candidate)
            && (best < 0 || candidate.size() > candidates[best].size()))
            best = n;
    }
    if (best < 0)
        return std::nullopt;
    return LinkParts { candidates[best], rest.sliced(candidates[best].size()).toString(), best };
}

std::optional<LocationTarget> parseLocationTarget(const QString& target)
{
    if (!target.contains(kLocationMarker))
        return std::nullopt;
    return locationFromPieces(target.split(u'/', Qt::SkipEmptyParts));
}

TargetReading readLocationOrPageLabel(const QString& target, const PageLabelLookup& pageForLabel)
{
    QString candidate = target;
    if (target.contains(kLocationMarker)) {
        const QStringList pieces = target.split(u'/', Qt::SkipEmptyParts);
        candidate = pieces.front();
        if (const std::optional<LocationTarget> location = locationFromPieces(pieces)) {
            if (const std::optional<int> page = lookUp(pageForLabel, location->pageLabel)) {
                TargetReading reading;
                reading.kind = TargetReading::Kind::Location;
                reading.pageIndex = *page;
                reading.origin = location->point;
                return reading;
            }
        }
    }
    if (candidate.endsWith(u'/'))
        candidate.chop(1);
    if (const std::optional<int> page = lookUp(pageForLabel, candidate)) {
        TargetReading reading;
        reading.kind = TargetReading::Kind::Page;
        reading.pageIndex = *page;
        return reading;
    }
    return {};
}

std::optional<int> plainPageLabelPage(const QString& target, const PageLabelLookup& pageForLabel)
{
    if (parseLocationTarget(target))
        return std::nullopt;
    QString label = target;
    if (label.endsWith(u'/'))
        label.chop(1);
    return lookUp(pageForLabel, label);
}

TargetReading readTarget(const QString& target, const PageLabelLookup& pageForLabel, const OutlineMatcher& matchOutline)
{
    // A page label comes first: a page link has to land on its page even when a
    // TOC title has a word containing the label ("12" in "12 Errors and
    // Warnings"). Short TOC paths never equal a page label, so no TOC link is
    // taken for a page link.
    if (const std::optional<int> page = plainPageLabelPage(target, pageForLabel)) {
        TargetReading reading;
        reading.kind = TargetReading::Kind::Page;
        reading.pageIndex = *page;
        return reading;
    }
    // Then a title path, then a location or a page label by its first piece.
    const QStringList components = target.split(u'/', Qt::SkipEmptyParts);
    if (!components.isEmpty() && matchOutline) {
        if (const std::optional<int> match = matchOutline(components)) {
            TargetReading reading;
            reading.kind = TargetReading::Kind::TitlePath;
            reading.matchId = *match;
            return reading;
        }
    }
    return readLocationOrPageLabel(target, pageForLabel);
}

} // namespace tolvo
