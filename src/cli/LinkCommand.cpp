// SPDX-License-Identifier: GPL-3.0-or-later
// tolvo-cli link: one link to a PDF, as a copy or drag would carry it.
#include "cli/CliArguments.h"
#include "cli/CliCommand.h"
#include "cli/FileNames.h"
#include "cli/PdfPassword.h"
#include "cli/TargetReader.h"

#include "links/HtmlWriter.h"
#include "links/LinkGrammar.h"
#include "links/LinkText.h"
#include "links/RtfWriter.h"
#include "outline/OutlineTree.h"
#include "pdf/OutlineFromPdf.h"
#include "pdf/PdfDocument.h"
#include "render/LocationLinks.h"
#include "routing/DocumentPrefix.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"

#include <QDir>
#include <QFileInfo>

#include <cmath>

namespace tolvo::cli {

namespace {

const char kLinkUsage[]
    = "Usage: tolvo-cli link FILE (--page LABEL | --toc PATH | --point LABEL X Y | --whole)\n"
      "                      [--prefix P] [--style expanded|condensed|condensed-title]\n"
      "                      [--format url|markdown|html|rtf]\n\n"
      "Prints one link to FILE: to the page labelled LABEL, to the table of contents entry\n"
      "that the title path PATH finds first (as the Go To sheet finds it), to the point X Y\n"
      "(page space, points, y up) of a page, or to the whole PDF.\n\n"
      "  url       the URL text (the default)\n"
      "  markdown  the Markdown link, [label](url)\n"
      "  html      the styled link as text/html carries it on the clipboard\n"
      "  rtf       the styled link as text/rtf carries it\n\n"
      "P defaults to the prefix Tolvo has for FILE (a \"/\" is added when missing); a PDF that\n"
      "has none gets one made from its file name (octave.pdf: octave/), stored before the link\n"
      "is printed, so that the link opens it. The style defaults to\n"
      "the stored link style. Page and TOC links are underlined when TolvoShouldUnderlineURLs\n"
      "is on, location links never; the stored user font is used when it is installed. A link\n"
      "to the whole PDF shows the prefix without its \"/\", underlined, as the insert command does.\n\n"
      "Exit status: 0 printed, 1 FILE cannot be read or its prefix not stored, 2 wrong usage,\n"
      "3 no such page or entry.\n";

enum class Format { Url, Markdown, Html, Rtf };

std::optional<Format> formatFromName(const QString& name)
{
    if (name == QLatin1String("url"))
        return Format::Url;
    if (name == QLatin1String("markdown"))
        return Format::Markdown;
    if (name == QLatin1String("html"))
        return Format::Html;
    if (name == QLatin1String("rtf"))
        return Format::Rtf;
    return std::nullopt;
}

std::optional<LinkStyle> styleFromName(const QString& name)
{
    if (name == QLatin1String("expanded"))
        return LinkStyle::Expanded;
    if (name == QLatin1String("condensed"))
        return LinkStyle::Condensed;
    if (name == QLatin1String("condensed-title"))
        return LinkStyle::CondensedWithTOCTitle;
    return std::nullopt;
}

struct PointArgument {
    QString label;
    QString x;
    QString y;
};

/// Takes "--point LABEL X Y" out of args (parseArguments knows one value per option).
std::optional<QStringList> takePoint(const QStringList& args, std::optional<PointArgument>& point, Output& io)
{
    QStringList rest;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--")) {
            rest << args.mid(i);
            break;
        }
        if (args[i] != QLatin1String("--point")) {
            rest << args[i];
            continue;
        }
        if (i + 3 >= args.size()) {
            usageError(io, QStringLiteral("link: --point needs LABEL, X and Y"));
            return std::nullopt;
        }
        point = PointArgument { args[i + 1], args[i + 2], args[i + 3] };
        rest << args[i];
        i += 3;
    }
    return rest;
}

std::optional<double> coordinate(const QString& text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok && std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

std::optional<int> exactPage(const QStringList& labels, const QString& label)
{
    const qsizetype index = labels.indexOf(label);
    return index < 0 ? std::nullopt : std::optional<int>(int(index));
}

} // namespace

int runLink(const QStringList& args, Output& io)
{
    std::optional<PointArgument> point;
    const std::optional<QStringList> rest = takePoint(args, point, io);
    if (!rest)
        return UsageError;
    const QStringList valued = { QStringLiteral("--page"), QStringLiteral("--toc"), QStringLiteral("--prefix"),
        QStringLiteral("--style"), QStringLiteral("--format") };
    const std::optional<Arguments> parsed
        = parseArguments(*rest, valued, { QStringLiteral("--whole"), QStringLiteral("--point") }, "link", io);
    if (!parsed)
        return UsageError;
    if (parsed->help) {
        io.out += QString::fromUtf8(kLinkUsage);
        return Ok;
    }
    if (parsed->positional.size() != 1)
        return usageError(io, QStringLiteral("link takes one FILE"));
    const int kinds = int(parsed->values.contains(QStringLiteral("--page")))
        + int(parsed->values.contains(QStringLiteral("--toc"))) + int(point.has_value())
        + int(parsed->flags.contains(QStringLiteral("--whole")));
    if (kinds != 1)
        return usageError(io, QStringLiteral("link: give one of --page, --toc, --point and --whole"));

    const std::optional<Format> format = formatFromName(parsed->values.value(QStringLiteral("--format"), "url"));
    if (!format)
        return usageError(io, QStringLiteral("link: the format is url, markdown, html or rtf"));
    Defaults& defaults = Defaults::standard();
    LinkStyle style = currentLinkStyle(defaults);
    if (parsed->values.contains(QStringLiteral("--style"))) {
        const std::optional<LinkStyle> named = styleFromName(parsed->values.value(QStringLiteral("--style")));
        if (!named)
            return usageError(io, QStringLiteral("link: the style is expanded, condensed or condensed-title"));
        style = *named;
    }
    std::optional<QPointF> at;
    if (point) {
        const std::optional<double> x = coordinate(point->x);
        const std::optional<double> y = coordinate(point->y);
        if (!x || !y)
            return usageError(io, QStringLiteral("link: X and Y of --point are numbers"));
        at = QPointF(*x, *y);
    }
    if (parsed->values.contains(QStringLiteral("--prefix"))
        && parsed->values.value(QStringLiteral("--prefix")).isEmpty())
        return usageError(io, QStringLiteral("link: the prefix is empty"));

    const QString path = parsed->positional.first();
    pdf::OpenResult opened = openPdf(path);
    if (!opened.document) {
        io.err += QStringLiteral("tolvo-cli: %1\n").arg(opened.error);
        return FileError;
    }
    QString prefix = parsed->values.value(QStringLiteral("--prefix"));
    const QString absolute = QDir::cleanPath(QFileInfo(shownName(path)).absoluteFilePath());
    const bool ownPrefix = prefix.isEmpty();
    if (ownPrefix)
        prefix = defaultPrefixForFile(defaults, absolute);
    if (!prefix.endsWith(u'/'))
        prefix += u'/';
    const QStringList labels = opened.document->pageLabels();
    const bool underline = defaults.boolForKey(QString::fromLatin1(keys::kShouldUnderlineURLs));

    QString url;
    QString markdown;
    RichText rich;
    if (parsed->flags.contains(QStringLiteral("--whole"))) {
        url = wholePdfLink(prefix);
        const QString shown = prefix.chopped(1);
        markdown = markdownLink(shown, url);
        rich = styledLink(shown, url, true, LinkCover::WholeText);
    } else {
        std::optional<LinkPlace> place;
        bool underlined = underline;
        if (parsed->values.contains(QStringLiteral("--page"))) {
            const QString label = parsed->values.value(QStringLiteral("--page"));
            if (!exactPage(labels, label)) {
                io.err += QStringLiteral("tolvo-cli: link: no page of %1 is labelled \"%2\"\n").arg(path, label);
                return NotFound;
            }
            place = LinkPlace::page(label);
        } else if (point) {
            if (!exactPage(labels, point->label)) {
                io.err += QStringLiteral("tolvo-cli: link: no page of %1 is labelled \"%2\"\n").arg(path, point->label);
                return NotFound;
            }
            place = LinkPlace::location(point->label, *at);
            underlined = false;
        } else {
            const QString tocPath = parsed->values.value(QStringLiteral("--toc"));
            const OutlineTree tree = outlineTreeForPdf(*opened.document);
            // Only the outline is asked: a path that is also a page label still names its entry.
            const TargetReader reader({}, tree);
            const TargetReading reading = readTarget(
                tocPath, [](const QString&) { return std::optional<int>(); }, reader.matcher());
            if (reading.kind != TargetReading::Kind::TitlePath) {
                io.err += QStringLiteral("tolvo-cli: link: no table of contents entry of %1 matches \"%2\"\n")
                              .arg(path, tocPath);
                return NotFound;
            }
            const MyOutlineItem* item = tree.items().at(std::size_t(reading.matchId));
            place = LinkPlace::toc(tree.makeShortURLForMOI(item), item->pageTitle());
        }
        const LinkRendering link = renderLink(style, prefix, *place);
        url = link.urlText;
        markdown = link.markdownLink;
        rich = link.styledLink(underlined);
    }
    applyUserPreferredFont(rich, installedUserFont(defaults));

    // The link is good: its prefix is stored before it leaves, so that it opens the PDF. When
    // that fails (a name that is no text, an unwritable settings file) the link is still
    // printed, and the message and the exit status say that it opens nothing yet.
    int status = Ok;
    if (ownPrefix) {
        QString why;
        if (!linkPrefixForFile(defaults, absolute, &why)) {
            io.err += QStringLiteral("tolvo-cli: link: the prefix %1 could not be stored for %2 (%3); the link "
                                     "opens the PDF only once a prefix is stored for it\n")
                          .arg(prefix, path, why);
            status = FileError;
        }
    }

    switch (*format) {
    case Format::Url:
        io.out += url + u'\n';
        break;
    case Format::Markdown:
        io.out += markdown + u'\n';
        break;
    case Format::Html:
        io.out += toHtml(rich);
        break;
    case Format::Rtf:
        io.out += QString::fromLatin1(toRtf(rich)) + u'\n';
        break;
    }
    return status;
}

} // namespace tolvo::cli
