// SPDX-License-Identifier: GPL-3.0-or-later
// The RTF writer.
#include "links/RtfWriter.h"

#include <QHash>

#include <algorithm>
#include <cmath>

namespace tolvo {

namespace {

constexpr char kDefaultFontFamily[] = "Helvetica";
// Word's limits for \fs: 1 to 1638 points, in half-points.
constexpr int kMinHalfPoints = 2;
constexpr int kMaxHalfPoints = 3276;

// \uN with "?" for readers without Unicode. The "?" goes in as a hex escape:
// some readers take a plain character right after the number for the word's
// delimiter and then skip the next one as the fallback.
void appendUnicodeEscape(QByteArray& out, char16_t unit)
{
    out += "\\u";
    out += QByteArray::number(static_cast<qint16>(unit));
    out += "\\'3f";
}

void appendPercentEncoded(QByteArray& out, char16_t unit)
{
    static const char hex[] = "0123456789ABCDEF";
    out += '%';
    out += hex[(unit >> 4) & 0xF];
    out += hex[unit & 0xF];
}

// Text of a run: RTF specials escaped, breaks and tabs as control words.
void appendText(QByteArray& out, QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        switch (c) {
        case u'\\':
            out += "\\\\";
            break;
        case u'{':
            out += "\\{";
            break;
        case u'}':
            out += "\\}";
            break;
        case u'\t':
            out += "\\tab ";
            break;
        case u'\r':
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                break; // the "\n" that follows makes the break
            [[fallthrough]];
        case u'\n':
        case 0x2029:
            out += "\\par\n";
            break;
        case 0x2028:
            out += "\\line ";
            break;
        default:
            if (c >= 0x20 && c < 0x7F)
                out += char(c);
            else if (c >= 0x80)
                appendUnicodeEscape(out, c);
            // other control characters carry nothing readable
            break;
        }
    }
}

bool isHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

bool needsPercentInField(char16_t c)
{
    return c == u'"' || c == u'\\' || c < 0x20 || c == 0x7F || c >= 0x80;
}

// The URL inside the quoted HYPERLINK argument. Readers differ in what they make of escapes
// there (pandoc ends the URL at a \u escape), so what a field cannot hold as it is goes in
// percent-encoded as UTF-8, and "%" with it, so that a decoded reading gives the text back.
void appendFieldUrl(QByteArray& out, QStringView url)
{
    bool encoding = std::any_of(url.begin(), url.end(), [](QChar c) { return needsPercentInField(c.unicode()); });
    // A "%" that reads as an escape is encoded too, so that no decoded reading changes the text.
    for (qsizetype i = 0; i + 2 < url.size() && !encoding; ++i)
        encoding = url[i] == u'%' && isHexDigit(url[i + 1]) && isHexDigit(url[i + 2]);
    for (qsizetype i = 0; i < url.size(); ++i) {
        const char16_t c = url[i].unicode();
        if (c >= 0x80) {
            const qsizetype units
                = url[i].isHighSurrogate() && i + 1 < url.size() && url[i + 1].isLowSurrogate() ? 2 : 1;
            for (const char byte : url.mid(i, units).toUtf8())
                appendPercentEncoded(out, char16_t(static_cast<unsigned char>(byte)));
            i += units - 1;
        } else if (needsPercentInField(c) || (encoding && c == u'%')) {
            appendPercentEncoded(out, c);
        } else if (c == u'{') {
            out += "\\{";
        } else if (c == u'}') {
            out += "\\}";
        } else {
            out += char(c);
        }
    }
}

// A font name in the font table: ';' ends a name there, so it is written as a hex escape.
void appendFontName(QByteArray& out, QStringView name)
{
    for (const QChar ch : name) {
        const char16_t c = ch.unicode();
        if (c == u';')
            out += "\\'3b";
        else if (c == u'\\' || c == u'{' || c == u'}')
            appendText(out, QStringView(&ch, 1));
        else if (c >= 0x80)
            appendUnicodeEscape(out, c);
        else if (c >= 0x20 && c < 0x7F)
            out += char(c);
    }
}

int halfPoints(double pointSize)
{
    const double half = std::round(pointSize * 2);
    return static_cast<int>(std::clamp(half, double(kMinHalfPoints), double(kMaxHalfPoints)));
}

int clampComponent(int value)
{
    return std::clamp(value, 0, 255);
}

// The font and colour tables, built from the runs in order of first use.
struct Tables {
    QStringList fonts { QString::fromLatin1(kDefaultFontFamily) };
    QList<RgbColor> colors { kLinkBlue };

    explicit Tables(const RichText& text)
    {
        for (const TextRun& run : text.runs()) {
            const TextAttributes& a = run.attributes;
            if (a.font && !a.font->family.isEmpty() && !fonts.contains(a.font->family))
                fonts.append(a.font->family);
            if (a.color && !colors.contains(*a.color))
                colors.append(*a.color);
        }
    }

    int fontIndex(const QString& family) const { return int(fonts.indexOf(family)); }
    int colorIndex(const RgbColor& color) const { return int(colors.indexOf(color)) + 1; }

    void write(QByteArray& out) const
    {
        out += "{\\fonttbl";
        for (int i = 0; i < fonts.size(); ++i) {
            out += "{\\f" + QByteArray::number(i) + (i == 0 ? "\\fswiss" : "\\fnil") + "\\fcharset0 ";
            appendFontName(out, fonts[i]);
            out += ";}";
        }
        out += "}\n{\\colortbl;";
        for (const RgbColor& c : colors) {
            out += "\\red" + QByteArray::number(clampComponent(c.red)) + "\\green"
                + QByteArray::number(clampComponent(c.green)) + "\\blue" + QByteArray::number(clampComponent(c.blue))
                + ';';
        }
        out += "}\n";
    }
};

void appendRun(QByteArray& out, const TextRun& run, const Tables& tables)
{
    const TextAttributes& a = run.attributes;
    QByteArray format;
    if (a.font) {
        if (!a.font->family.isEmpty())
            format += "\\f" + QByteArray::number(tables.fontIndex(a.font->family));
        if (a.font->hasSize())
            format += "\\fs" + QByteArray::number(halfPoints(a.font->pointSize));
    }
    if (a.color)
        format += "\\cf" + QByteArray::number(tables.colorIndex(*a.color));
    if (a.underline)
        format += "\\ul";
    if (format.isEmpty()) {
        appendText(out, run.text);
        return;
    }
    out += '{';
    out += format;
    out += ' ';
    appendText(out, run.text);
    if (a.underline)
        out += "\\ulnone";
    out += '}';
}

} // namespace

QByteArray toRtf(const RichText& text)
{
    const Tables tables(text);
    QByteArray out;
    out.reserve(256 + text.length() * 2);
    out += "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n";
    tables.write(out);
    out += "\\pard ";

    const QList<TextRun>& runs = text.runs();
    for (qsizetype i = 0; i < runs.size();) {
        const std::optional<QString>& link = runs[i].attributes.link;
        if (!link) {
            appendRun(out, runs[i], tables);
            ++i;
            continue;
        }
        out += "{\\field{\\*\\fldinst{HYPERLINK \"";
        appendFieldUrl(out, *link);
        out += "\"}}{\\fldrslt ";
        for (; i < runs.size() && runs[i].attributes.link == link; ++i)
            appendRun(out, runs[i], tables);
        out += "}}";
    }
    out += "}\n";
    return out;
}

} // namespace tolvo
