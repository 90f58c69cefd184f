// SPDX-License-Identifier: GPL-3.0-or-later
#include "links/MarkdownText.h"

#include <algorithm>

namespace tolvo {

namespace {

bool isLineBreak(QChar c)
{
    return c == u'\n' || c == u'\r';
}

// Characters with a meaning in CommonMark's inline text: escapes, link brackets, emphasis,
// autolinks and raw HTML, code spans, entity references.
bool isInlineMarkup(QChar c)
{
    return QStringView(u"\\[]*_<>`&").contains(c);
}

// Characters that open a block (heading, list, setext underline, thematic break, fence) when a
// line starts with them. "*", ">" and "`" are escaped everywhere already.
bool opensBlock(QChar c)
{
    return QStringView(u"#+-=~").contains(c);
}

// The length of a number that starts text and is followed by "." or ")": an ordered list item.
qsizetype orderedListNumber(QStringView text)
{
    qsizetype digits = 0;
    while (digits < text.size() && digits < 10 && text[digits] >= u'0' && text[digits] <= u'9')
        ++digits;
    if (digits == 0 || digits > 9 || digits == text.size())
        return 0;
    return text[digits] == u'.' || text[digits] == u')' ? digits : 0;
}

} // namespace

QString markdownEscaped(QStringView text)
{
    QString out;
    out.reserve(text.size() + 8);
    const qsizetype number = orderedListNumber(text);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (isLineBreak(c)) {
            // One blank for "\r\n" as for a lone break.
            if (!(c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n'))
                out += u' ';
            continue;
        }
        if (isInlineMarkup(c) || (i == 0 && opensBlock(c)) || (number > 0 && i == number))
            out += u'\\';
        out += c;
    }
    return out;
}

QString markdownDestination(const QString& url)
{
    const bool lineBreaks = std::any_of(url.begin(), url.end(), isLineBreak);
    bool angle = false;
    QString escaped;
    escaped.reserve(url.size() + 8);
    for (const QChar c : url) {
        if (lineBreaks && (isLineBreak(c) || c == u'%')) {
            escaped += QString::fromLatin1(QByteArray(1, char(c.unicode())).toPercentEncoding());
            continue;
        }
        if (c == u' ' || c.unicode() < 0x20 || c.unicode() == 0x7F)
            angle = true;
        // "&" as a reference: readers differ in whether they decode references before or after
        // backslash escapes in a destination, and "&amp;" reads as "&" either way.
        if (c == u'&') {
            escaped += QStringLiteral("&amp;");
            continue;
        }
        if (QStringView(u"\\<>()").contains(c))
            escaped += u'\\';
        escaped += c;
    }
    return angle ? u'<' + escaped + u'>' : escaped;
}

QString markdownLink(const QString& label, const QString& urlText)
{
    return u'[' + markdownEscaped(label) + QStringLiteral("](") + markdownDestination(urlText) + u')';
}

} // namespace tolvo
