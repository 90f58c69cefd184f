// SPDX-License-Identifier: GPL-3.0-or-later
// OPML export.
#include "outline/Opml.h"

#include "links/LinkGrammar.h"
#include "outline/MyOutlineItem.h"
#include "outline/OutlineTree.h"

#include <QStringList>

#include <vector>

namespace tolvo {

namespace {

quint64 effectiveStyle(quint64 style)
{
    return style <= 2 ? style : 0;
}

bool isLineBreak(char32_t c)
{
    return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
}

bool isXmlCharacter(char32_t c)
{
    return c == 0x09 || c == 0x0A || c == 0x0D || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD)
        || (c >= 0x10000 && c <= 0x10FFFF);
}

QString openingElement(const QString& indent, const QString& title, const QString& link, quint64 style)
{
    switch (style) {
    case 1:
        return QStringLiteral("%1<outline text=\"%2\" tolvo=\"%3 \">")
            .arg(indent, opmlEscaped(title),
                opmlEscaped(link) + QLatin1String(" &lt;") + opmlEscaped(link) + QLatin1String("&gt;"));
    case 2:
        return QStringLiteral("%1<outline text=\"%2\">").arg(indent, opmlEscaped(title + QLatin1Char(' ') + link));
    default:
        return QStringLiteral("%1<outline text=\"%2\" type=\"link\" url=\"%3\">")
            .arg(indent, opmlEscaped(title), opmlEscaped(link));
    }
}

} // namespace

QString opmlCleanTitle(const QString& title)
{
    QString clean;
    clean.reserve(title.size());
    for (QChar c : title) {
        const char16_t u = c.unicode();
        if (isLineBreak(u) || u == u'\'' || u == u'"' || u == u'<' || u == u'>')
            clean += u' ';
        else if (u == u'&')
            clean += QLatin1String("and");
        else
            clean += c;
    }
    return clean;
}

QString opmlEscaped(const QString& text)
{
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < n && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        } else if (QChar::isSurrogate(c))
            c = 0xFFFD;
        switch (c) {
        case U'&':
            out += QLatin1String("&amp;");
            continue;
        case U'<':
            out += QLatin1String("&lt;");
            continue;
        case U'>':
            out += QLatin1String("&gt;");
            continue;
        case U'"':
            out += QLatin1String("&quot;");
            continue;
        default:
            break;
        }
        if (c >= 0x20 && c < 0x7F) {
            out += QChar(char16_t(c));
            continue;
        }
        if (!isXmlCharacter(c))
            c = 0xFFFD;
        out += QLatin1String("&#") + QString::number(quint32(c)) + QLatin1Char(';');
    }
    return out;
}

QString MyOutlineItem::OPMLreadyWithPrefix(const QString& prefix, quint64 level, quint64 style) const
{
    style = effectiveStyle(style);
    QString out;
    // Each frame is an item whose element is open; next is its next child.
    struct Frame {
        const MyOutlineItem* item;
        quint64 level;
        std::size_t next;
    };
    std::vector<Frame> stack;
    const auto open = [&](const MyOutlineItem* item, quint64 itemLevel) {
        const QString indent(qsizetype(itemLevel), u'\t');
        const QString element
            = openingElement(indent, opmlCleanTitle(item->m_pageTitle), opmlItemLink(prefix, item->m_pageLabel), style);
        if (item->m_children.empty()) {
            out += element + QLatin1String("</outline>\n");
        } else {
            out += QLatin1Char('\n') + element + QLatin1Char('\n');
            stack.push_back({ item, itemLevel, 0 });
        }
    };
    open(this, level);
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.next < top.item->m_children.size()) {
            const MyOutlineItem* child = top.item->m_children[top.next++].get();
            open(child, top.level + 1);
        } else {
            out += QString(qsizetype(top.level), u'\t') + QLatin1String("</outline>\n");
            stack.pop_back();
        }
    }
    return out;
}

QString OPMLFileText(const OutlineTree& tree, const QString& fileName, const QString& prefix, quint64 style)
{
    style = effectiveStyle(style);
    QString titleLine = QStringLiteral("\t<title>\"%1\"</title>").arg(opmlEscaped(fileName));
    QString declaration = QStringLiteral("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>");
    QString root = QStringLiteral("<opml version=\"2.0\">");
    if (style == 1) {
        titleLine += QLatin1String("\n\t<expansionState></expansionState>");
        declaration = QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>");
        root = QStringLiteral("<opml version=\"1.0\">");
    }
    QString body;
    for (const MyOutlineItem* item : tree.outlinedata_array())
        body += item->OPMLreadyWithPrefix(prefix, 1, style);
    return QStringList { declaration, root, QStringLiteral("<head>"), titleLine, QStringLiteral("</head>"),
        QStringLiteral("<body>"), body, QStringLiteral("</body>"), QStringLiteral("</opml>") }
               .join(u'\n')
        + u'\n';
}

} // namespace tolvo
