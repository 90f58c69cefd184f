// SPDX-License-Identifier: GPL-3.0-or-later
// tolvo-cli toc, resolve and opml: a PDF's table of contents as Tolvo links it.
#include "cli/CliArguments.h"
#include "cli/CliCommand.h"
#include "cli/FileNames.h"
#include "cli/PdfPassword.h"
#include "cli/TargetReader.h"
#include "links/LinkGrammar.h"
#include "outline/Opml.h"
#include "outline/OutlineTree.h"
#include "pdf/OutlineFromPdf.h"
#include "pdf/PdfDocument.h"
#include "routing/DocumentPrefix.h"
#include "settings/Defaults.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <optional>

namespace tolvo::cli {

namespace {

/// The prefix that links to the PDF at path start with, when none is given:
/// the routed or auto-matched one, else the file name's; stored first.
QString defaultPrefixFor(const QString& path)
{
    const QString absolute = QDir::cleanPath(QFileInfo(shownName(path)).absoluteFilePath());
    // Stored first, so that the links printed open the PDF.
    return linkPrefixForFile(Defaults::standard(), absolute)
        .value_or(defaultPrefixForFile(Defaults::standard(), absolute));
}

const char* const tocUsage = "Usage: tolvo-cli toc FILE [--prefix P] [--json]\n"
                             "Every outline entry of FILE in outline order with its TOC link. Plain: one line\n"
                             "per entry, indented two spaces per level, the title, a tab and the link. JSON: an\n"
                             "array of {depth, title, pageLabel, myDepth, target, url}. P ends with \"/\" (one is\n"
                             "added when missing).\n";
const char* const resolveUsage
    = "Usage: tolvo-cli resolve FILE TARGET [--json]\n"
      "       tolvo-cli resolve URL [--json]\n"
      "A whole tolvo:// URL finds its PDF through the routing table first, as Tolvo does\n"
      "(tried once more percent-decoded when it finds nothing as written; exit 3 with\n"
      "\"Unable to locate PDF\" when none); the JSON then also has \"file\" and \"prefix\".\n"
      "Where a link to FILE with TARGET after the prefix leads: reading page (a TARGET\n"
      "that, less one trailing \"/\", is a page label), else toc,\n"
      "location or none, with the page index (from 0), its label, the point, and for\n"
      "a TOC entry its title and the titles from the top level down.\n";
const char* const opmlUsage = "Usage: tolvo-cli opml FILE [--style url|tolvo|in-title] [--prefix P] [-o OUT]\n"
                              "The table of contents of FILE as an OPML file: style url, OPML 2.0 with the links\n"
                              "as url attributes (the default); tolvo, OPML 1.0 with tolvo attributes; in-title,\n"
                              "the link inside the text. The numbers 0, 1 and 2 name them too. Written to OUT\n"
                              "when given (replacing it only once complete), else (or for -o -) to standard output.\n";

// The OPML style of a name or its number.
std::optional<quint64> opmlStyle(const QString& name)
{
    const QStringList names = { QStringLiteral("url"), QStringLiteral("tolvo"), QStringLiteral("in-title") };
    for (int i = 0; i < names.size(); ++i)
        if (name == names[i] || name == QString::number(i))
            return quint64(i);
    return std::nullopt;
}

struct TocArguments {
    QStringList positional;
    QHash<QString, QString> values;
    bool json = false;
    bool help = false;
};

// Options that take a value are listed in valued; "--json" is the one flag.
std::optional<TocArguments> parse(
    const QStringList& args, const QStringList& valued, bool takesJson, const char* command, Output& io)
{
    const auto shared = parseArguments(
        args, valued, takesJson ? QStringList { QStringLiteral("--json") } : QStringList(), command, io);
    if (!shared)
        return std::nullopt;
    return TocArguments { shared->positional, shared->values, shared->flags.contains(QStringLiteral("--json")),
        shared->help };
}

struct OpenedOutline {
    std::unique_ptr<pdf::Document> document;
    OutlineTree tree;
};

std::optional<OpenedOutline> openOutline(const QString& path, Output& io)
{
    pdf::OpenResult opened = openPdf(path);
    if (!opened.document) {
        io.err += QStringLiteral("tolvo-cli: %1\n").arg(opened.error);
        return std::nullopt;
    }
    OutlineTree tree = outlineTreeForPdf(*opened.document);
    return OpenedOutline { std::move(opened.document), std::move(tree) };
}

QString prefixOption(const TocArguments& parsed, const QString& path)
{
    QString prefix = parsed.values.contains(QStringLiteral("--prefix"))
        ? parsed.values.value(QStringLiteral("--prefix"))
        : defaultPrefixFor(path);
    if (!prefix.endsWith(QLatin1Char('/')))
        prefix += QLatin1Char('/');
    return prefix;
}

QString oneLine(QString text)
{
    for (QChar& c : text)
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    return text;
}

QJsonArray pointArray(QPointF point)
{
    return QJsonArray { point.x(), point.y() };
}

} // namespace

int runToc(const QStringList& args, Output& io)
{
    const std::optional<TocArguments> parsed = parse(args, { QStringLiteral("--prefix") }, true, "toc", io);
    if (!parsed)
        return UsageError;
    if (parsed->help) {
        io.out += QLatin1String(tocUsage);
        return Ok;
    }
    if (parsed->positional.size() != 1)
        return usageError(io, QStringLiteral("toc takes one FILE"));
    if (parsed->values.contains(QStringLiteral("--prefix"))
        && parsed->values.value(QStringLiteral("--prefix")).isEmpty())
        return usageError(io, QStringLiteral("toc: the prefix is empty"));
    const QString path = parsed->positional.first();
    std::optional<OpenedOutline> opened = openOutline(path, io);
    if (!opened)
        return FileError;
    const QString prefix = prefixOption(*parsed, path);
    const OutlineTree& tree = opened->tree;

    QJsonArray entries;
    QString plain;
    for (const MyOutlineItem* item : tree.items()) {
        const int depth = tree.levelOf(item);
        const QString target = tree.makeShortURLForMOI(item);
        const QString url = tocLink(prefix, target);
        if (parsed->json) {
            entries.append(QJsonObject {
                { QStringLiteral("depth"), depth },
                { QStringLiteral("title"), item->pageTitle() },
                { QStringLiteral("pageLabel"), item->pageLabel() },
                { QStringLiteral("myDepth"), qint64(item->myDepth()) },
                { QStringLiteral("target"), target },
                { QStringLiteral("url"), url },
            });
        } else {
            plain += QString(2 * (depth - 1), QLatin1Char(' ')) + oneLine(item->pageTitle()) + QLatin1Char('\t') + url
                + QLatin1Char('\n');
        }
    }
    io.out += parsed->json ? QString::fromUtf8(QJsonDocument(entries).toJson(QJsonDocument::Indented)) : plain;
    return Ok;
}

int runResolveURL(const QString& url, bool json, Output& io); // CheckCommand.cpp

int runResolve(const QStringList& args, Output& io)
{
    const std::optional<TocArguments> parsed = parse(args, {}, true, "resolve", io);
    if (!parsed)
        return UsageError;
    if (parsed->help) {
        io.out += QLatin1String(resolveUsage);
        return Ok;
    }
    if (parsed->positional.size() == 1 && parsed->positional[0].startsWith(kLinkScheme))
        return runResolveURL(parsed->positional[0], parsed->json, io); // CheckCommand.cpp
    if (parsed->positional.size() != 2)
        return usageError(io, QStringLiteral("resolve takes FILE and TARGET, or a tolvo:// URL"));
    std::optional<OpenedOutline> opened = openOutline(parsed->positional[0], io);
    if (!opened)
        return FileError;
    const QString& target = parsed->positional[1];
    const OutlineTree& tree = opened->tree;

    const QStringList labels = opened->document->pageLabels();
    const TargetReader reader(labels, tree);
    const PageLabelLookup& lookup = reader.lookup();
    const TargetReading reading = reader.read(target);
    TargetReading place = reading;
    const MyOutlineItem* item = nullptr;
    if (reading.kind == TargetReading::Kind::TitlePath) {
        item = tree.items()[std::size_t(reading.matchId)];
        place = readLocationOrPageLabel(item->pageLabel(), lookup);
    }

    QString kind;
    switch (reading.kind) {
    case TargetReading::Kind::Page:
        kind = QStringLiteral("page");
        break;
    case TargetReading::Kind::TitlePath:
        kind = QStringLiteral("toc");
        break;
    case TargetReading::Kind::Location:
        kind = QStringLiteral("location");
        break;
    case TargetReading::Kind::None:
        kind = QStringLiteral("none");
        break;
    }
    const bool onPage = place.kind == TargetReading::Kind::Page || place.kind == TargetReading::Kind::Location;
    const bool atPoint = place.kind == TargetReading::Kind::Location;
    QStringList tocPath;
    for (const MyOutlineItem* at = item; at; at = at->parent())
        tocPath.prepend(at->pageTitle());

    if (parsed->json) {
        QJsonObject object {
            { QStringLiteral("reading"), kind },
            { QStringLiteral("pageIndex"), onPage ? QJsonValue(place.pageIndex) : QJsonValue() },
            { QStringLiteral("pageLabel"), onPage ? QJsonValue(labels[place.pageIndex]) : QJsonValue() },
        };
        if (atPoint)
            object.insert(QStringLiteral("point"), pointArray(place.origin));
        if (item) {
            object.insert(QStringLiteral("tocTitle"), item->pageTitle());
            object.insert(QStringLiteral("tocPath"), QJsonArray::fromStringList(tocPath));
        }
        io.out += QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented));
        return Ok;
    }
    io.out += QStringLiteral("reading: %1\n").arg(kind);
    if (onPage)
        io.out += QStringLiteral("page: %1 (label %2)\n").arg(place.pageIndex).arg(labels[place.pageIndex]);
    if (atPoint)
        io.out += QStringLiteral("point: %1 %2\n").arg(place.origin.x()).arg(place.origin.y());
    if (item)
        io.out += QStringLiteral("toc: %1\n").arg(oneLine(tocPath.join(QStringLiteral(" > "))));
    return Ok;
}

int runOpml(const QStringList& args, Output& io)
{
    const std::optional<TocArguments> parsed = parse(
        args, { QStringLiteral("--style"), QStringLiteral("--prefix"), QStringLiteral("-o") }, false, "opml", io);
    if (!parsed)
        return UsageError;
    if (parsed->help) {
        io.out += QLatin1String(opmlUsage);
        return Ok;
    }
    if (parsed->positional.size() != 1)
        return usageError(io, QStringLiteral("opml takes one FILE"));
    const QString styleName = parsed->values.value(QStringLiteral("--style"), QStringLiteral("url"));
    const std::optional<quint64> style = opmlStyle(styleName);
    if (!style)
        return usageError(io, QStringLiteral("opml: the style is url, tolvo or in-title, not '%1'").arg(styleName));
    if (parsed->values.contains(QStringLiteral("--prefix"))
        && parsed->values.value(QStringLiteral("--prefix")).isEmpty())
        return usageError(io, QStringLiteral("opml: the prefix is empty"));
    if (parsed->values.contains(QStringLiteral("-o")) && parsed->values.value(QStringLiteral("-o")).isEmpty())
        return usageError(io, QStringLiteral("opml: the output file name is empty"));

    const QString path = parsed->positional.first();
    std::optional<OpenedOutline> opened = openOutline(path, io);
    if (!opened)
        return FileError;
    const QString text
        = OPMLFileText(opened->tree, QFileInfo(shownName(path)).fileName(), prefixOption(*parsed, path), *style);
    return writeOutput(parsed->values.value(QStringLiteral("-o"), QStringLiteral("-")), text.toUtf8(), "opml", io);
}

} // namespace tolvo::cli
