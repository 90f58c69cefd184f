// SPDX-License-Identifier: GPL-3.0-or-later
// tolvo-cli search and annotations: a PDF's search results as the search pane lists
// them, and its annotations as the annotation export writes them.
#include "cli/CliArguments.h"
#include "cli/CliCommand.h"
#include "cli/FileNames.h"
#include "cli/PdfPassword.h"
#include "links/LinkGrammar.h"
#include "links/LinkText.h"
#include "outline/OutlineTree.h"
#include "pdf/OutlineFromPdf.h"
#include "pdf/PageLabelIndex.h"
#include "routing/DocumentPrefix.h"
#include "routing/FileIdentity.h"
#include "routing/RoutingTable.h"
#include "search/AnnotationExport.h"
#include "search/AnnotationRecord.h"
#include "search/DocumentSearch.h"
#include "search/LibrarySearch.h"
#include "search/TextFinder.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>

#include <optional>

namespace tolvo::cli {

namespace {

/// How often a running search asks whether anybody still reads its rows.
constexpr int kReaderCheckMs = 50;

const char* const searchUsage
    = "Usage: tolvo-cli search FILE QUERY [--json]\n"
      "       tolvo-cli search --library QUERY [--json]\n"
      "Searches FILE as the search pane does: the outline titles, the notes and text markups, and\n"
      "the text of every page, ignoring letter case; a QUERY of several words is found as one phrase.\n"
      "The rows come in the pane's order: outline entries, annotations, then one row per page with\n"
      "text matches, in page order, each printed as soon as it is final. Plain: the page label, a\n"
      "tab, the type, a tab and the description. --json: JSON Lines, one object per row,\n"
      "{resultType, resultDescription, pageLabel, pageIndex, resultCountOnPage} (jq -s makes an array).\n"
      "--library searches the text of every PDF of the routing table instead, in the table's order,\n"
      "indexing those not searched before (progress on standard error). Each page with matches is one\n"
      "row: its page link (tolvo://prefix/label/), a tab, the number of matches, a tab and the page's\n"
      "text around the first one. --json: {link, prefix, file, pageLabel, pageIndex, count, text}.\n"
      "A later search of the same PDFs reads their indexes and takes a fraction of a second.\n";
const char* const annotationsUsage
    = "Usage: tolvo-cli annotations FILE [--format rtf|markdown|html | --json]\n"
      "         [--kinds notes,highlights,underlines,strikeouts] [--quotes|--no-quotes] [--prefix P] [-o OUT]\n"
      "The notes, highlights, underlines and strike-throughs of FILE as the annotation export writes\n"
      "them (RTF unless told otherwise), each with a link to its page. The kinds and the quotes follow\n"
      "the stored export options unless given; Markdown names each mark's colour. --json: every\n"
      "annotation record (with its comment, colour and /NM when it has them) and the five counts of\n"
      "the export dialog. Written to OUT when given (replacing it only once complete), else (or for\n"
      "-o -) to standard output. Exit 3 when no annotation of the chosen kinds is there.\n";

std::optional<Arguments> parse(
    const QStringList& args, const QStringList& valued, const QStringList& flags, const char* command, Output& io)
{
    return parseArguments(args, valued, flags, command, io);
}

std::unique_ptr<pdf::Document> openPdf(const QString& path, Output& io)
{
    pdf::OpenResult opened = tolvo::cli::openPdf(path);
    if (!opened.document)
        io.err += QStringLiteral("tolvo-cli: %1\n").arg(opened.error);
    return std::move(opened.document);
}

QString oneLine(QString text)
{
    for (QChar& c : text)
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('\t'))
            c = QLatin1Char(' ');
    return text;
}

QJsonObject countsObject(const AnnotationCounts& counts)
{
    return { { QStringLiteral("notes"), qint64(counts.notes) },
        { QStringLiteral("highlights"), qint64(counts.highlights) },
        { QStringLiteral("underlines"), qint64(counts.underlines) },
        { QStringLiteral("strikethroughs"), qint64(counts.strikethroughs) },
        { QStringLiteral("others"), qint64(counts.others) } };
}

QJsonObject recordObject(const AnnotationRecord& record)
{
    QJsonArray lines;
    for (const pdf::SelectionLine& line : record.selection.lines) {
        const QRectF& b = line.bounds;
        lines.append(QJsonObject { { QStringLiteral("text"), line.text },
            { QStringLiteral("bounds"), QJsonArray { b.x(), b.y(), b.width(), b.height() } } });
    }
    QJsonObject object { { QStringLiteral("PDFAnnotationType"), record.type },
        { QStringLiteral("PDFAnnotationText"), record.text },
        { QStringLiteral("PDFAnnotationPageLabel"), record.pageLabel },
        { QStringLiteral("pageIndex"), record.pageIndex },
        { QStringLiteral("PDFAnnotationPDFSelection"),
            QJsonObject { { QStringLiteral("text"), record.selection.text }, { QStringLiteral("lines"), lines } } } };
    if (!record.comment.isEmpty())
        object.insert(QStringLiteral("comment"), record.comment);
    if (record.colour.isValid()) {
        object.insert(QStringLiteral("colour"), record.colour.name());
        object.insert(QStringLiteral("colourName"), pdf::markColourName(record.colour));
    }
    if (!record.name.isEmpty())
        object.insert(QStringLiteral("name"), record.name);
    return object;
}

// The kinds named on the command line; nothing (with the reason) for an unknown name.
std::optional<ExportOptions> parseKinds(const QString& list, QString* bad)
{
    ExportOptions options { false, false, false, false };
    for (const QString& raw : list.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString kind = raw.trimmed().toLower();
        if (kind == QLatin1String("notes"))
            options.exportNotes = true;
        else if (kind == QLatin1String("highlights"))
            options.exportHighlights = true;
        else if (kind == QLatin1String("underlines"))
            options.exportUnderlines = true;
        else if (kind == QLatin1String("strikeouts") || kind == QLatin1String("strikethroughs"))
            options.exportStrikethroughs = true;
        else {
            *bad = raw;
            return std::nullopt;
        }
    }
    return options;
}

ExportOptions storedKinds(const Defaults& defaults)
{
    auto on = [&](const char* key) { return defaults.boolForKey(QString::fromLatin1(key)); };
    return { on(keys::kAnnoExportShouldExportNotes), on(keys::kAnnoExportShouldExportHighlights),
        on(keys::kAnnoExportShouldExportUnderlines), on(keys::kAnnoExportShouldExportStrikethroughs) };
}

int writeOut(const Arguments& parsed, const QByteArray& bytes, Output& io)
{
    return writeOutput(parsed.values.value(QStringLiteral("-o"), QStringLiteral("-")), bytes, "annotations", io);
}

} // namespace

namespace {

int runLibrarySearch(const QString& query, bool json, Output& io)
{
    if (!isSearchableQuery(query.toLower()))
        return usageError(io, QStringLiteral("search: the query is empty"));
    Defaults& defaults = Defaults::standard();
    RoutingTable routing(defaults);
    std::vector<LibraryPdf> pdfs;
    QStringList seen;
    for (const RoutingTable::Entry& entry : routing.resolveEntries()) {
        if (!entry.resolved.found()) {
            io.err += QStringLiteral("tolvo-cli: search: %1 is not reachable (%2), left out\n")
                          .arg(entry.prefix, entry.resolved.recordedPath);
            continue;
        }
        // A PDF under several prefixes is searched once, under the first.
        const QString path = entry.resolved.filePath;
        if (seen.contains(path))
            continue;
        seen << path;
        const auto [documentId, fingerprint] = entry.documentIdentity();
        pdfs.push_back({ entry.prefix, path, { documentId, fingerprint } });
    }
    io.flush();
    LibrarySearchCallbacks callbacks;
    // Asked before every row: a look at standard output every few milliseconds is enough.
    QElapsedTimer sinceLook;
    bool gone = false;
    callbacks.abandoned = [&io, &sinceLook, &gone] {
        if (!gone && (!sinceLook.isValid() || sinceLook.hasExpired(5))) {
            gone = io.abandoned();
            sinceLook.start();
        }
        return gone;
    };
    int shownTenths = -1;
    callbacks.indexing = [&io, &shownTenths](const LibraryPdf& pdf, int percent) {
        // A line every tenth of the way is enough for a person watching, and little for a log.
        if (percent / 10 == shownTenths)
            return;
        shownTenths = percent == 100 ? -1 : percent / 10;
        io.err += QStringLiteral("tolvo-cli: indexing %1: %2%\n").arg(QFileInfo(pdf.path).fileName()).arg(percent);
        io.flush();
    };
    callbacks.failed = [&io](const LibraryPdf& pdf, const QString& reason) {
        io.err += QStringLiteral("tolvo-cli: search: %1 left out: %2\n").arg(pdf.path, reason);
    };
    bool first = true;
    callbacks.hit = [&io, json, &first](const LibraryHit& hit) {
        if (json)
            io.out += QString::fromUtf8(QJsonDocument(
                          QJsonObject { { QStringLiteral("link"), hit.link }, { QStringLiteral("prefix"), hit.prefix },
                              { QStringLiteral("file"), hit.path }, { QStringLiteral("pageLabel"), hit.pageLabel },
                              { QStringLiteral("pageIndex"), hit.pageIndex }, { QStringLiteral("count"), hit.count },
                              { QStringLiteral("text"), hit.text } })
                                            .toJson(QJsonDocument::Compact))
                + QLatin1Char('\n');
        else
            io.out += QStringLiteral("%1\t%2\t%3\n").arg(hit.link).arg(hit.count).arg(oneLine(hit.text));
        // The first row at once, the rest a few kilobytes at a time: a write per row of thousands
        // cost more than finding them. Indexing progress and the end flush what is left.
        if (first || io.out.size() >= 4096) {
            io.flush();
            first = false;
        }
    };
    searchLibrary(pdfs, query, indexLimitBytes(), callbacks);
    io.flush();
    return Ok;
}

} // namespace

int runSearch(const QStringList& args, Output& io)
{
    const std::optional<Arguments> parsed
        = parse(args, {}, { QStringLiteral("--json"), QStringLiteral("--library") }, "search", io);
    if (!parsed)
        return UsageError;
    if (parsed->help) {
        io.out += QLatin1String(searchUsage);
        return Ok;
    }
    if (parsed->flags.contains(QStringLiteral("--library"))) {
        if (parsed->positional.size() != 1)
            return usageError(io, QStringLiteral("search --library takes one QUERY"));
        return runLibrarySearch(parsed->positional[0], parsed->flags.contains(QStringLiteral("--json")), io);
    }
    if (parsed->positional.size() != 2)
        return usageError(io, QStringLiteral("search takes one FILE and one QUERY"));
    const std::unique_ptr<pdf::Document> document = openPdf(parsed->positional[0], io);
    if (!document)
        return FileError;
    const bool json = parsed->flags.contains(QStringLiteral("--json"));
    const OutlineTree tree = outlineTreeForPdf(*document);
    const PageLabelIndex labels(document->pageLabels());
    std::unique_ptr<TextFinder> ownFinder = TextFinder::forDocument(*document);
    TextFinder* finder = ownFinder.get();
    const QString path = parsed->positional[0];
    finder->useIndex({ permanentIdOf(path), contentFingerprint(path) }, indexLimitBytes());
    DocumentSearch search(*document, { [&tree] { return &tree; }, [&labels] { return labels.pageLabel2pageIndex(); } },
        std::move(ownFinder));

    // Rows are printed in the pane's order as soon as nothing can come before them any more:
    // TOC rows at once, annotation rows once the annotations are read, and the text row of a
    // page once every page before it has been searched.
    const SearchResultsFilter* shown = search.filter();
    int printed = 0;
    bool annotationsKnown = false;
    int pagesSearched = 0;
    const auto printReady = [&] {
        for (; printed < shown->rowCount(); ++printed) {
            const MySearchResult* result = SearchResultsModel::resultForIndex(shown->index(printed, 0));
            if (!result)
                continue;
            const bool toc = result->resultType == QLatin1String("TOC");
            const bool text = result->resultType == QLatin1String("Text");
            if (!toc && (!annotationsKnown || (text && result->pageIndex >= quint64(pagesSearched))))
                break;
            if (json)
                io.out += QString::fromUtf8(QJsonDocument(
                              QJsonObject { { QStringLiteral("resultType"), result->resultType },
                                  { QStringLiteral("resultDescription"), result->resultDescription },
                                  { QStringLiteral("pageLabel"), result->pageLabel },
                                  { QStringLiteral("pageIndex"), qint64(result->pageIndex) },
                                  { QStringLiteral("resultCountOnPage"), qint64(result->resultCountOnPage) } })
                                                .toJson(QJsonDocument::Compact))
                    + QLatin1Char('\n');
            else
                io.out += QStringLiteral("%1\t%2\t%3\n")
                              .arg(oneLine(cleanPageLabel(result->pageLabel)), result->resultType,
                                  oneLine(result->resultDescription));
        }
        io.flush();
    };
    QObject::connect(finder, &TextFinder::searchedThrough, &search, [&](int pages) {
        pagesSearched = pages;
        printReady();
    });

    // The text find runs on its own threads while the annotations are read here.
    search.searchTextChanged(parsed->positional[1]);
    printReady();
    const auto abandoned = [&io] { return io.abandoned(); };
    search.setAnnotations(std::make_shared<const AnnotationList>(prepareAnnotationsArray(*document, abandoned)));
    if (abandoned())
        return Ok;
    annotationsKnown = true;
    printReady();
    if (search.isFinding()) {
        QEventLoop loop;
        QObject::connect(&search, &DocumentSearch::pdfSearchDidEnd, &loop, &QEventLoop::quit);
        QTimer readerCheck;
        readerCheck.callOnTimeout(&loop, [&] {
            if (abandoned())
                loop.quit();
        });
        readerCheck.start(kReaderCheckMs);
        loop.exec();
        if (abandoned())
            return Ok;
    }
    pagesSearched = int(document->pageCount());
    printReady();
    return Ok;
}

int runAnnotations(const QStringList& args, Output& io)
{
    const QStringList valued
        = { QStringLiteral("--format"), QStringLiteral("--kinds"), QStringLiteral("--prefix"), QStringLiteral("-o") };
    const std::optional<Arguments> parsed = parse(args, valued,
        { QStringLiteral("--quotes"), QStringLiteral("--no-quotes"), QStringLiteral("--json") }, "annotations", io);
    if (!parsed)
        return UsageError;
    if (parsed->help) {
        io.out += QLatin1String(annotationsUsage);
        return Ok;
    }
    if (parsed->positional.size() != 1)
        return usageError(io, QStringLiteral("annotations takes one FILE"));
    const QString formatName = parsed->values.value(QStringLiteral("--format"), QStringLiteral("rtf"));
    const bool json = parsed->flags.contains(QStringLiteral("--json"));
    const std::optional<ExportFormat> format = exportFormatFromName(formatName);
    if (json && parsed->values.contains(QStringLiteral("--format")))
        return usageError(io, QStringLiteral("annotations: --json and --format exclude each other"));
    if (!json && !format)
        return usageError(io,
            QStringLiteral("annotations: the format is rtf, markdown or html, not '%1'%2")
                .arg(formatName, formatName == QLatin1String("json") ? QStringLiteral(" (use --json)") : QString()));
    if (parsed->flags.contains(QStringLiteral("--quotes")) && parsed->flags.contains(QStringLiteral("--no-quotes")))
        return usageError(io, QStringLiteral("annotations: --quotes and --no-quotes exclude each other"));
    if (parsed->values.contains(QStringLiteral("--prefix"))
        && parsed->values.value(QStringLiteral("--prefix")).isEmpty())
        return usageError(io, QStringLiteral("annotations: the prefix is empty"));
    if (parsed->values.contains(QStringLiteral("-o")) && parsed->values.value(QStringLiteral("-o")).isEmpty())
        return usageError(io, QStringLiteral("annotations: -o needs a file name"));

    Defaults& defaults = Defaults::standard();
    ExportOptions kinds = storedKinds(defaults);
    if (parsed->values.contains(QStringLiteral("--kinds"))) {
        QString bad;
        const std::optional<ExportOptions> named = parseKinds(parsed->values.value(QStringLiteral("--kinds")), &bad);
        if (!named)
            return usageError(io, QStringLiteral("annotations: unknown kind '%1'").arg(bad));
        kinds = *named;
    }

    const QString path = parsed->positional.first();
    const std::unique_ptr<pdf::Document> document = openPdf(path, io);
    if (!document)
        return FileError;
    const AnnotationList list = prepareAnnotationsArray(*document);

    if (json) {
        QJsonArray records;
        for (const AnnotationRecord& record : list.records)
            records.append(recordObject(record));
        const QJsonObject object { { QStringLiteral("annotations"), records },
            { QStringLiteral("counts"), countsObject(list.counts) } };
        return writeOut(*parsed, QJsonDocument(object).toJson(QJsonDocument::Indented), io);
    }

    ExportStyle style;
    style.useQuotes = parsed->flags.contains(QStringLiteral("--quotes")) ? true
        : parsed->flags.contains(QStringLiteral("--no-quotes"))
        ? false
        : defaults.boolForKey(QString::fromLatin1(keys::kAnnoExportUseQuotes));
    style.linkStyle = currentLinkStyle(defaults);
    if (parsed->values.contains(QStringLiteral("--prefix"))) {
        style.prefix = parsed->values.value(QStringLiteral("--prefix"));
    } else {
        // Stored first, so that the links exported open the PDF.
        const QString absolute = QDir::cleanPath(QFileInfo(shownName(path)).absoluteFilePath());
        style.prefix = linkPrefixForFile(defaults, absolute).value_or(defaultPrefixForFile(defaults, absolute));
    }
    if (!style.prefix.endsWith(QLatin1Char('/')))
        style.prefix += QLatin1Char('/');
    const std::optional<QByteArray> bytes = annotationExportDocument(list.records, kinds, style, *format);
    if (!bytes) {
        io.err += QStringLiteral("tolvo-cli: %1 has no annotations of the chosen kinds\n").arg(path);
        return NotFound;
    }
    return writeOut(*parsed, *bytes, io);
}

} // namespace tolvo::cli
