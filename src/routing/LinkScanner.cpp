// SPDX-License-Identifier: GPL-3.0-or-later
#include "routing/LinkScanner.h"

#include "links/LinkGrammar.h"

#include <QSet>

#include <optional>

namespace tolvo {

namespace {

QChar closerFor(QChar opener)
{
    switch (opener.unicode()) {
    case '"':
        return QLatin1Char('"');
    case '\'':
        return QLatin1Char('\'');
    case '<':
        return QLatin1Char('>');
    default:
        return QChar();
    }
}

bool endsPlainLink(QChar c)
{
    return c.isSpace() || c.unicode() < 0x20 || c == QLatin1Char('<') || c == QLatin1Char('>') || c == QLatin1Char('"')
        || c == QLatin1Char('`');
}

// Sentence punctuation and Markdown emphasis after a link belong to the text around it.
QString trimTrailing(QString url)
{
    static const QString trailing = QStringLiteral(".,;:!?*_~");
    while (url.size() > kLinkScheme.size() && trailing.contains(url.back()))
        url.chop(1);
    return url;
}

// Markdown puts links in parentheses and brackets; those that close more than the link opened are not in it.
QString dropUnbalancedClosers(const QString& url)
{
    int round = 0;
    int square = 0;
    for (qsizetype i = 0; i < url.size(); ++i) {
        const QChar c = url[i];
        if (c == QLatin1Char('('))
            ++round;
        else if (c == QLatin1Char('['))
            ++square;
        else if (c == QLatin1Char(')') && --round < 0)
            return url.left(i);
        else if (c == QLatin1Char(']') && --square < 0)
            return url.left(i);
    }
    return url;
}

QString decodeEntities(const QString& raw);

const QString kAsciiPunctuation = QStringLiteral("!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~");

// A Markdown destination as CommonMark reads it: a backslash before punctuation stands for that
// character, and a character reference (&amp;) for its character.
QString markdownUnescaped(const QString& raw)
{
    QString url;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw[i];
        if (c == u'\\' && i + 1 < raw.size() && kAsciiPunctuation.contains(raw[i + 1])) {
            url += raw[++i];
            continue;
        }
        const qsizetype semi = c == u'&' ? raw.indexOf(u';', i) : -1;
        if (semi > i && semi - i <= 10) {
            const QString reference = raw.mid(i, semi - i + 1);
            const QString decoded = decodeEntities(reference);
            if (decoded != reference) {
                url += decoded;
                i = semi;
                continue;
            }
        }
        url += c;
    }
    return url;
}

// A Markdown link destination in angle brackets, <tolvo://p/A 1/>: blanks belong to it, it ends
// at the first ">" that no backslash escapes. Nothing when no ">" closes it on its line.
std::optional<QString> angleLinkAt(const QString& text, qsizetype start)
{
    for (qsizetype i = start; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\n' || c == u'\r' || c == u'<')
            return std::nullopt;
        if (c == u'>')
            return markdownUnescaped(text.mid(start, i - start));
        if (c == u'\\' && i + 1 < text.size() && kAsciiPunctuation.contains(text[i + 1]))
            ++i;
    }
    return std::nullopt;
}

// A Markdown link destination without angle brackets, ](tolvo://m/a\(1\)/): it ends at a blank or
// at the ")" that closes the link (parentheses inside are balanced or escaped).
QString bareDestinationAt(const QString& text, qsizetype start)
{
    int depth = 0;
    qsizetype i = start;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isSpace() || c.unicode() < 0x20)
            break;
        if (c == u'\\' && i + 1 < text.size() && kAsciiPunctuation.contains(text[i + 1])) {
            ++i;
            continue;
        }
        if (c == u'(')
            ++depth;
        if (c == u')' && depth-- == 0)
            break;
    }
    return markdownUnescaped(text.mid(start, i - start));
}

// Every link Tolvo writes ends in "/"; a plain-text one may hold blanks (a page label "Cover
// Page"). A link cut at a blank short of its "/" takes in the next words of its line while that
// makes it end in "/" within a few words, and none of them starts another link.
QString extendAcrossBlanks(const QString& text, qsizetype start, qsizetype end)
{
    constexpr int kMostWords = 4;
    qsizetype at = end;
    for (int words = 0; words < kMostWords; ++words) {
        if (at + 1 >= text.size() || text[at] != u' ' || endsPlainLink(text[at + 1]))
            break;
        qsizetype next = at + 1;
        while (next < text.size() && !endsPlainLink(text[next]))
            ++next;
        const QStringView word = QStringView(text).mid(at + 1, next - at - 1);
        if (word.contains(QLatin1String("://")))
            break;
        at = next;
        if (word.endsWith(u'/'))
            return text.mid(start, at - start);
    }
    return text.mid(start, end - start);
}

// Whether the link at start lies in the label of a Markdown link: an open "[" before it and "]("
// after it, on its line, with no other bracket between.
bool insideMarkdownLabel(const QString& text, qsizetype start)
{
    qsizetype open = start - 1;
    while (open >= 0 && text[open] != u'[' && text[open] != u']' && text[open] != u'\n')
        --open;
    if (open < 0 || text[open] != u'[')
        return false;
    for (qsizetype i = start + kLinkScheme.size(); i + 1 < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\n' || c == u'[')
            return false;
        if (c == u']')
            return text[i + 1] == u'(';
    }
    return false;
}

QString plainLinkAt(const QString& text, qsizetype start)
{
    const QChar closer = start > 0 ? closerFor(text[start - 1]) : QChar();
    if (closer == u'>') {
        if (const std::optional<QString> url = angleLinkAt(text, start))
            return *url;
    }
    if (start > 1 && text[start - 1] == u'(' && text[start - 2] == u']')
        return bareDestinationAt(text, start);
    qsizetype end = start;
    while (end < text.size() && !endsPlainLink(text[end]) && (closer.isNull() || text[end] != closer))
        ++end;
    QString url = dropUnbalancedClosers(text.mid(start, end - start));
    if (closer.isNull() && url.size() == end - start && !url.endsWith(u'/'))
        url = dropUnbalancedClosers(extendAcrossBlanks(text, start, end));
    return trimTrailing(url);
}

QString decodeEntities(const QString& raw)
{
    if (!raw.contains(QLatin1Char('&')))
        return raw;
    static const QList<std::pair<QString, QString>> named = {
        { QStringLiteral("amp"), QStringLiteral("&") },
        { QStringLiteral("lt"), QStringLiteral("<") },
        { QStringLiteral("gt"), QStringLiteral(">") },
        { QStringLiteral("quot"), QStringLiteral("\"") },
        { QStringLiteral("apos"), QStringLiteral("'") },
        { QStringLiteral("nbsp"), QString(QChar(0xa0)) },
    };
    QString out;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const qsizetype semi = raw[i] == QLatin1Char('&') ? raw.indexOf(QLatin1Char(';'), i) : -1;
        if (semi < 0 || semi - i > 10) {
            out += raw[i];
            continue;
        }
        const QString name = raw.mid(i + 1, semi - i - 1);
        QString decoded;
        if (name.startsWith(QLatin1Char('#'))) {
            bool ok = false;
            const uint code = name.size() > 1 && (name[1] == QLatin1Char('x') || name[1] == QLatin1Char('X'))
                ? name.mid(2).toUInt(&ok, 16)
                : name.mid(1).toUInt(&ok, 10);
            if (ok && code > 0 && code <= 0x10ffff)
                decoded = QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1);
        } else {
            for (const auto& [n, v] : named)
                if (n == name)
                    decoded = v;
        }
        if (decoded.isEmpty()) {
            out += raw[i];
            continue;
        }
        out += decoded;
        i = semi;
    }
    return out;
}

QString htmlLinkAt(const QString& text, qsizetype start)
{
    const QChar before = start > 0 ? text[start - 1] : QChar();
    const bool quoted = before == QLatin1Char('"') || before == QLatin1Char('\'');
    qsizetype end = start;
    if (quoted) {
        while (end < text.size() && text[end] != before && text[end] != QLatin1Char('\n'))
            ++end;
        const QString url = decodeEntities(text.mid(start, end - start));
        return url;
    }
    while (end < text.size() && !endsPlainLink(text[end]) && text[end] != QLatin1Char('\''))
        ++end;
    QString url = decodeEntities(text.mid(start, end - start));
    for (qsizetype i = 0; i < url.size(); ++i)
        if (url[i].isSpace()) {
            url.truncate(i);
            break;
        }
    return trimTrailing(url);
}

QString rtfLinkAt(const QString& text, qsizetype start)
{
    const bool quoted = start > 0 && text[start - 1] == QLatin1Char('"');
    QString url;
    qsizetype i = start;
    while (i < text.size()) {
        const QChar c = text[i];
        // A field's quoted address runs to its closing quote, blanks and all.
        if (c == QLatin1Char('"') || c == QLatin1Char('{') || c == QLatin1Char('}') || c == u'\n' || c == u'\r'
            || (c.isSpace() && !quoted))
            break;
        if (c != QLatin1Char('\\')) {
            url += c;
            ++i;
            continue;
        }
        if (i + 1 >= text.size())
            break;
        const QChar next = text[i + 1];
        if (next == QLatin1Char('\\') || next == QLatin1Char('{') || next == QLatin1Char('}')) {
            url += next;
            i += 2;
        } else if (next == QLatin1Char('\'') && i + 3 < text.size()) {
            bool ok = false;
            const uint byte = text.mid(i + 2, 2).toUInt(&ok, 16);
            if (!ok)
                break;
            url += QChar(byte); // the Windows-1252 range that matters here is Latin-1
            i += 4;
        } else if (next == QLatin1Char('u')) {
            qsizetype j = i + 2;
            if (j < text.size() && text[j] == QLatin1Char('-'))
                ++j;
            while (j < text.size() && text[j].isDigit())
                ++j;
            bool ok = false;
            const int code = text.mid(i + 2, j - i - 2).toInt(&ok);
            if (!ok)
                break;
            url += QChar(ushort(code < 0 ? code + 65536 : code));
            if (j < text.size() && text[j] == QLatin1Char(' '))
                ++j;
            // The one-character fallback that follows \uN for readers without Unicode.
            if (j + 3 < text.size() && text[j] == QLatin1Char('\\') && text[j + 1] == QLatin1Char('\''))
                j += 4;
            else if (j < text.size() && text[j] != QLatin1Char('\\') && text[j] != QLatin1Char('}'))
                ++j;
            i = j;
        } else {
            break; // any other control word ends the link text
        }
    }
    return quoted ? url : trimTrailing(url);
}

} // namespace

NoteFormat guessNoteFormat(const QString& fileName, const QByteArray& content)
{
    const QByteArray head = content.left(1024).trimmed();
    if (head.startsWith("{\\rtf"))
        return NoteFormat::Rtf;
    const QByteArray lower = head.toLower();
    if (lower.startsWith("<!doctype html") || lower.startsWith("<html") || lower.contains("<html")
        || (lower.startsWith("<?xml") && lower.contains("xhtml")))
        return NoteFormat::Html;
    const QString name = fileName.toLower();
    if (name.endsWith(QLatin1String(".rtf")))
        return NoteFormat::Rtf;
    if (name.endsWith(QLatin1String(".html")) || name.endsWith(QLatin1String(".htm"))
        || name.endsWith(QLatin1String(".xhtml")))
        return NoteFormat::Html;
    return NoteFormat::Plain;
}

QList<FoundLink> findLinks(const QString& text, NoteFormat format)
{
    QList<FoundLink> links;
    QSet<std::pair<int, QString>> seen;
    int line = 1;
    qsizetype counted = 0;
    for (qsizetype at = text.indexOf(kLinkScheme); at >= 0; at = text.indexOf(kLinkScheme, at + 1)) {
        line += int(QStringView(text).mid(counted, at - counted).count(QLatin1Char('\n')));
        counted = at;
        QString url;
        switch (format) {
        case NoteFormat::Plain:
            url = plainLinkAt(text, at);
            break;
        case NoteFormat::Html:
            url = htmlLinkAt(text, at);
            break;
        case NoteFormat::Rtf:
            url = rtfLinkAt(text, at);
            break;
        }
        if (!url.startsWith(kLinkScheme) || url.size() == kLinkScheme.size())
            continue;
        // A link in a Markdown link's label is the visible text of the link that follows it.
        if (format == NoteFormat::Plain && insideMarkdownLabel(text, at))
            continue;
        // The visible text of a link whose address holds a blank (an HTML anchor's or an RTF
        // field's) is cut at the blank: it is that same link, not another one.
        if (!links.isEmpty() && links.back().line == line) {
            const QString& previous = links.back().url;
            if (previous.size() > url.size() && previous.startsWith(url) && previous[url.size()].isSpace())
                continue;
        }
        if (seen.contains({ line, url }))
            continue;
        seen.insert({ line, url });
        links.append({ line, url });
    }
    return links;
}

} // namespace tolvo
