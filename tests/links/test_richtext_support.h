// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Readable QCOMPARE output for rich text values, found by argument-dependent lookup.

#include "links/RichText.h"

#include <QtTest>

namespace tolvo {

inline QString describe(const TextAttributes& a)
{
    QStringList parts;
    if (a.link)
        parts << QStringLiteral("link=") + *a.link;
    if (a.color)
        parts << QStringLiteral("color=%1,%2,%3").arg(a.color->red).arg(a.color->green).arg(a.color->blue);
    if (a.underline)
        parts << QStringLiteral("ul");
    if (a.font)
        parts << QStringLiteral("font=%1@%2").arg(a.font->family, QString::number(a.font->pointSize));
    return parts.join(u' ');
}

inline char* toString(const RichText& text)
{
    QStringList runs;
    for (const TextRun& run : text.runs()) {
        QString escaped = run.text;
        escaped.replace(u'\n', QStringLiteral("\\n")).replace(u'\t', QStringLiteral("\\t"));
        runs << u'"' + escaped + QStringLiteral("\" {") + describe(run.attributes) + u'}';
    }
    return qstrdup(runs.join(QStringLiteral(" + ")).toUtf8().constData());
}

inline char* toString(const TextRun& run)
{
    RichText text;
    text.append(run.text, run.attributes);
    return toString(text);
}

inline char* toString(const FontSpec& font)
{
    return qstrdup(QStringLiteral("%1@%2").arg(font.family, QString::number(font.pointSize)).toUtf8().constData());
}

} // namespace tolvo

#include <QRandomGenerator>

namespace tolvo::testing {

/// A random rich text of units that every writer carries without loss:
/// ASCII, RTF and HTML specials, tabs, "\n", U+2028, Latin, Greek and CJK
/// letters and astral characters (as pairs), with random links, colours,
/// underline and fonts.
inline RichText randomRichText(QRandomGenerator& random)
{
    static const QStringList pieces { QStringLiteral("a"), QStringLiteral("Z"), QStringLiteral("7"),
        QStringLiteral(" "), QStringLiteral("{"), QStringLiteral("}"), QStringLiteral("\\"), QStringLiteral("\t"),
        QStringLiteral("\n"), QString(QChar(0x2028)), QStringLiteral("é"), QStringLiteral("Ω"), QStringLiteral("中"),
        QStringLiteral("😀"), QStringLiteral("&"), QStringLiteral("<"), QStringLiteral(">"), QStringLiteral("\""),
        QStringLiteral("'"), QStringLiteral(";"), QStringLiteral("?") };
    static const QStringList urls { QStringLiteral("tolvo://manual/12/"), QStringLiteral("tolvo://m/a b/"),
        QStringLiteral("tolvo://m/{x}/"), QStringLiteral("tolvo://m/einführung/"), QStringLiteral("tolvo://m/😀/"),
        QStringLiteral("tolvo://m/50%/") };
    static const QStringList families { QStringLiteral("Helvetica"), QStringLiteral("DejaVu Sans"),
        QStringLiteral("Noto Serif CJK JP"), QStringLiteral("Ünïcode; {Font}") };

    RichText text;
    const int runs = random.bounded(1, 8);
    for (int r = 0; r < runs; ++r) {
        QString piece;
        const int length = random.bounded(1, 12);
        for (int i = 0; i < length; ++i)
            piece += pieces[random.bounded(int(pieces.size()))];
        TextAttributes a;
        if (random.bounded(2))
            a.link = urls[random.bounded(int(urls.size()))];
        if (random.bounded(2))
            a.color = random.bounded(2) ? kLinkBlue : RgbColor { random.bounded(256), random.bounded(256), 7 };
        a.underline = random.bounded(2);
        if (random.bounded(2)) {
            a.font = FontSpec { random.bounded(4) ? families[random.bounded(int(families.size()))] : QString(),
                random.bounded(3) ? random.bounded(2, 200) / 2.0 : 0.0 };
            if (a.font->family.isEmpty() && !a.font->hasSize())
                a.font.reset();
        }
        text.append(piece, a);
    }
    return text;
}

} // namespace tolvo::testing
