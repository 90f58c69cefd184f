// The RTF, HTML and Markdown writers, with their readers as the oracle: a rich text built from the
// input's choices is written and read back. RTF gives back the same runs (a tolvo:// link's field
// holds its quote, backslash and "%" percent-encoded, and the reader decodes them); every link
// written as HTML or Markdown is found again by the link scanner of `tolvo-cli check`.
#include "FuzzInput.h"
#include "links/HtmlWriter.h"
#include "links/LinkText.h"
#include "links/RtfReader.h"
#include "links/RtfWriter.h"
#include "routing/LinkScanner.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

using namespace tolvo;

namespace {

// Units every writer carries without loss, as the rich text tests use them.
const QStringList pieces { "a", "Z", "7", " ", "{", "}", "\\", "\t", "\n", QString(QChar(0x2028)), "é", "Ω", "中", "😀",
    "&", "<", ">", "\"", "'", ";", "?", "%1", "%", "[", "]", "(", ")", "*", "_", "`", "#" };
// What a link's path is made of: letters, specials of each format, blanks, escapes, astral characters.
const QStringList urlPieces { "a", "12", "ii", " ", "{", "}", "é", "😀", "%", "%20", "&", "<", ">", "'", "#", "@loc",
    "=", "?", "(", ")", "[", "]", "\"", "\\", "." };
const QStringList families { "Helvetica", "DejaVu Sans", "Noto Serif CJK JP", "Ünïcode; {Font}", "" };

QString link(fuzz::FuzzInput& in)
{
    QString url = QStringLiteral("tolvo://m/");
    for (int n = in.below(8); n > 0; --n)
        url += in.pick(urlPieces);
    return url + u'/';
}

RichText richText(fuzz::FuzzInput& in)
{
    RichText text;
    while (!in.atEnd()) {
        QString piece;
        for (int n = 1 + in.below(12); n > 0; --n)
            piece += in.pick(pieces);
        TextAttributes a;
        const int choice = in.byte();
        if (choice & 1)
            a.link = link(in);
        if (choice & 2)
            a.color = RgbColor { in.byte(), in.byte(), in.byte() };
        a.underline = choice & 4;
        if (choice & 8) {
            a.font = FontSpec { in.pick(families), in.below(400) / 2.0 };
            if (a.font->family.isEmpty() && !a.font->hasSize())
                a.font.reset();
        }
        text.append(piece, a);
    }
    return text;
}

// The runs as lines of text, so that a failed round trip shows where the two differ.
QString describe(const RichText& text)
{
    QString out;
    for (const TextRun& run : text.runs()) {
        const TextAttributes& a = run.attributes;
        out += QStringLiteral("  [%1] link=%2 color=%3 underline=%4 font=%5/%6\n")
                   .arg(run.text.toHtmlEscaped(), a.link.value_or(QStringLiteral("-")),
                       a.color ? QStringLiteral("%1,%2,%3").arg(a.color->red).arg(a.color->green).arg(a.color->blue)
                               : QStringLiteral("-"),
                       a.underline ? QStringLiteral("yes") : QStringLiteral("no"),
                       a.font ? a.font->family : QStringLiteral("-"),
                       a.font ? QString::number(a.font->pointSize) : QStringLiteral("-"));
    }
    return out;
}

[[noreturn]] void fail(const char* what, const QString& detail)
{
    std::fprintf(stderr, "%s: %s\n", what, detail.toUtf8().constData());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::FuzzInput in(data, size);
    const RichText text = richText(in);

    const std::optional<RichText> rtf = fromRtf(toRtf(text));
    // RTF holds sizes as Word reads them, from 1 point up in half points: half a point comes back as one.
    RichText expected;
    for (const TextRun& run : text.runs()) {
        TextAttributes a = run.attributes;
        if (a.font && a.font->hasSize())
            a.font->pointSize = std::max(a.font->pointSize, 1.0);
        expected.append(run.text, a);
    }
    if (!rtf || !(*rtf == expected))
        fail("RTF round trip",
            QString::fromLatin1(toRtf(text)) + QStringLiteral("\nexpected:\n") + describe(expected)
                + QStringLiteral("read:\n") + (rtf ? describe(*rtf) : QStringLiteral("  nothing\n")));

    QStringList written;
    for (const TextRun& run : text.runs())
        if (run.attributes.link && (written.isEmpty() || written.last() != *run.attributes.link))
            written << *run.attributes.link;
    QStringList found;
    for (const FoundLink& f : findLinks(toHtml(text), NoteFormat::Html))
        found << f.url;
    for (const QString& url : std::as_const(written))
        if (!found.contains(url))
            fail("HTML link lost", url + QStringLiteral(" in ") + toHtml(text));

    for (const QString& url : std::as_const(written)) {
        const QString markdown = markdownLink(QStringLiteral("label"), url);
        const QList<FoundLink> links = findLinks(markdown, NoteFormat::Plain);
        if (links.isEmpty() || links.first().url != url)
            fail("Markdown link lost", markdown);
    }
    return 0;
}
