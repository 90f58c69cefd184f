// SPDX-License-Identifier: GPL-3.0-or-later
// The HTML writer.
#include "links/HtmlWriter.h"

#include <QStringList>

namespace tolvo {

namespace {

// Text and attribute values: markup characters as references, and only
// characters that XML allows.
void appendEscaped(QString& out, QStringView text, bool inAttribute)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        const char16_t c = ch.unicode();
        switch (c) {
        case u'&':
            out += u"&amp;";
            continue;
        case u'<':
            out += u"&lt;";
            continue;
        case u'>':
            out += u"&gt;";
            continue;
        case u'"':
            out += u"&quot;";
            continue;
        case u'\'':
            out += u"&#39;";
            continue;
        case u'\t':
            out += u"&#9;";
            continue;
        case u'\r':
            if (inAttribute)
                out += u"&#13;";
            else if (!(i + 1 < text.size() && text[i + 1] == u'\n'))
                out += u"<br/>";
            continue;
        case u'\n':
        case 0x2028:
        case 0x2029:
            out += inAttribute ? QStringView(u"&#10;") : QStringView(u"<br/>");
            continue;
        case 0xFFFE:
        case 0xFFFF:
            continue;
        default:
            break;
        }
        if (c < 0x20 || c == 0x7F)
            continue;
        if (ch.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out += ch;
            out += text[++i];
        } else if (ch.isSurrogate()) {
            out += QChar::ReplacementCharacter;
        } else {
            out += ch;
        }
    }
}

QString colorCss(const RgbColor& color)
{
    return QStringLiteral("#%1%2%3")
        .arg(qBound(0, color.red, 255), 2, 16, QLatin1Char('0'))
        .arg(qBound(0, color.green, 255), 2, 16, QLatin1Char('0'))
        .arg(qBound(0, color.blue, 255), 2, 16, QLatin1Char('0'));
}

// A CSS string literal for a font family: quotes and backslashes escaped, line breaks dropped.
QString fontFamilyCss(const QString& family)
{
    QString out = QStringLiteral("'");
    for (const QChar ch : family) {
        if (ch == u'\'' || ch == u'\\')
            out += u'\\';
        if (ch.unicode() >= 0x20)
            out += ch;
    }
    return out + u'\'';
}

// The declarations of a run's look. Links state their decoration either way,
// since browsers underline links unless told otherwise.
QStringList runCss(const TextAttributes& a)
{
    QStringList css;
    if (a.color)
        css << QStringLiteral("color:") + colorCss(*a.color);
    if (a.underline && a.strikeThrough)
        css << QStringLiteral("text-decoration:underline line-through");
    else if (a.underline)
        css << QStringLiteral("text-decoration:underline");
    else if (a.strikeThrough)
        css << QStringLiteral("text-decoration:line-through");
    else if (a.link)
        css << QStringLiteral("text-decoration:none");
    if (a.bold)
        css << QStringLiteral("font-weight:bold");
    if (a.italic)
        css << QStringLiteral("font-style:italic");
    if (a.font) {
        if (!a.font->family.isEmpty())
            css << QStringLiteral("font-family:") + fontFamilyCss(a.font->family);
        if (a.font->hasSize())
            css << QStringLiteral("font-size:") + QString::number(a.font->pointSize, 'g', 6) + QStringLiteral("pt");
    }
    return css;
}

void appendStyle(QString& out, const QStringList& css)
{
    if (css.isEmpty())
        return;
    out += u" style=\"";
    appendEscaped(out, css.join(QStringLiteral("; ")), true);
    out += u'"';
}

void appendRunBody(QString& out, const TextRun& run, const QStringList& css)
{
    if (css.isEmpty()) {
        appendEscaped(out, run.text, false);
        return;
    }
    out += u"<span";
    appendStyle(out, css);
    out += u'>';
    appendEscaped(out, run.text, false);
    out += u"</span>";
}

} // namespace

QString toHtmlFragment(const RichText& text)
{
    QString out = QStringLiteral("<span style=\"white-space:pre-wrap\">");
    const QList<TextRun>& runs = text.runs();
    for (qsizetype i = 0; i < runs.size();) {
        const std::optional<QString>& link = runs[i].attributes.link;
        if (!link) {
            appendRunBody(out, runs[i], runCss(runs[i].attributes));
            ++i;
            continue;
        }
        qsizetype end = i + 1;
        while (end < runs.size() && runs[end].attributes.link == link)
            ++end;
        out += u"<a href=\"";
        appendEscaped(out, *link, true);
        out += u'"';
        if (end == i + 1) {
            // The usual styled link: one run, its look on the anchor itself.
            appendStyle(out, runCss(runs[i].attributes));
            out += u'>';
            appendEscaped(out, runs[i].text, false);
        } else {
            // Runs of one link that differ in look: the anchor adds no
            // underline of its own, each run states its own look.
            appendStyle(out, { QStringLiteral("text-decoration:none") });
            out += u'>';
            for (qsizetype k = i; k < end; ++k) {
                QStringList css = runCss(runs[k].attributes);
                css.removeAll(QStringLiteral("text-decoration:none"));
                appendRunBody(out, runs[k], css);
            }
        }
        out += u"</a>";
        i = end;
    }
    out += u"</span>";
    return out;
}

QString toHtml(const RichText& text)
{
    return QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"/>"
                          "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\"/>"
                          "<title></title></head><body>")
        + toHtmlFragment(text) + QStringLiteral("</body></html>\n");
}

} // namespace tolvo
