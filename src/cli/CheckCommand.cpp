// SPDX-License-Identifier: GPL-3.0-or-later
// tolvo-cli check and resolve URL: following tolvo:// links the way the
// application does, through the routing table, without opening a window.
#include "cli/CliCommand.h"
#include "cli/FileNames.h"
#include "cli/PdfPassword.h"
#include "cli/TargetReader.h"

#include "links/LinkGrammar.h"
#include "outline/OutlineTree.h"
#include "pdf/OutlineFromPdf.h"
#include "pdf/PdfDocument.h"
#include "routing/LinkScanner.h"
#include "routing/RoutingTable.h"
#include "routing/UrlDispatch.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"
#include "settings/NotesFiles.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <map>
#include <memory>
#include <optional>

namespace tolvo::cli {

int runResolve(const QStringList& args, Output& io); // TocCommands.cpp: resolve FILE TARGET

namespace {

const char kCheckHelp[]
    = "Usage: tolvo-cli check [--json] [--notes] [FILE...]\n\n"
      "Finds every tolvo:// link in the text, Markdown, HTML or RTF FILEs (a FILE of - is\n"
      "standard input; with --notes, also the five notes areas) and follows it through the\n"
      "routing table as Tolvo does (a link that finds nothing as written is tried once more\n"
      "percent-decoded; a Markdown address in angle brackets is read whole, blanks and all):\n"
      "  ok        it finds its PDF and its target names a place there\n"
      "  no-pdf    no routing prefix fits, or its PDF is gone\n"
      "  no-place  the PDF is found, but the target names nothing in it\n"
      "Plain output: FILE:LINE: STATE URL. --json: an array of {\"file\", \"line\", \"url\", \"state\"}.\n\n"
      "Exit status: 0 every link works, 1 a FILE could not be read, 2 wrong usage,\n"
      "3 a link is broken (and every FILE was read).\n";

// A PDF opened once for all the links into it.
class PdfPlaces {
public:
    explicit PdfPlaces(const QString& path)
    {
        pdf::OpenResult opened = openPdf(path);
        if (!opened.document) {
            m_error = opened.error;
            return;
        }
        m_document = std::move(opened.document);
        m_tree = outlineTreeForPdf(*m_document);
        m_reader.emplace(m_document->pageLabels(), m_tree);
    }

    bool isOpen() const { return bool(m_document); }
    const QString& error() const { return m_error; }

    /// Whether following the target moves the view (what resolve FILE TARGET reads as other than none).
    bool namesAPlace(const QString& target) const
    {
        return m_reader && m_reader->read(target).kind != TargetReading::Kind::None;
    }

private:
    std::unique_ptr<pdf::Document> m_document;
    OutlineTree m_tree;
    std::optional<TargetReader> m_reader; // reads against m_tree, which does not move
    QString m_error;
};

struct Checked {
    QString file;
    int line;
    QString url;
    QString state;
};

// The text of a notes file and its format; nothing when it cannot be read.
std::optional<std::pair<QString, NoteFormat>> readNotesFile(const QString& path, Output& io)
{
    const std::optional<QByteArray> read = readInput(path, "check", io);
    if (!read)
        return std::nullopt;
    const QByteArray& bytes = *read;
    const NoteFormat format = guessNoteFormat(shownName(path), bytes);
    // RTF keeps everything beyond ASCII in escapes; raw bytes there are the ANSI code page.
    return std::pair { format == NoteFormat::Rtf ? QString::fromLatin1(bytes) : QString::fromUtf8(bytes), format };
}

} // namespace

int runCheck(const QStringList& args, Output& io)
{
    bool json = false;
    bool notes = false;
    bool optionsEnded = false;
    QStringList files;
    for (const QString& arg : args) {
        if (optionsEnded || !arg.startsWith(u'-') || arg == QLatin1String("-")) {
            files << arg;
        } else if (arg == QLatin1String("--")) {
            optionsEnded = true;
        } else if (arg == QLatin1String("--json")) {
            json = true;
        } else if (arg == QLatin1String("--notes")) {
            notes = true;
        } else if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            io.out += QString::fromUtf8(kCheckHelp);
            return Ok;
        } else {
            return usageError(io, QStringLiteral("check: unknown option '%1'").arg(arg));
        }
    }
    if (files.isEmpty() && !notes)
        return usageError(io, QStringLiteral("check: give FILEs to check, or --notes"));

    // Every link first, so that the routing table is resolved (one search for moved PDFs) only once.
    bool unreadable = false;
    QList<Checked> links;
    for (const QString& path : std::as_const(files)) {
        const auto content = readNotesFile(path, io);
        if (!content) {
            unreadable = true;
            continue;
        }
        for (const FoundLink& l : findLinks(content->first, content->second))
            links.append({ path, l.line, l.url, QString() });
    }
    Defaults& defaults = Defaults::standard();
    if (notes) {
        for (int i = 0; i < 5; ++i) {
            // The notes live in their own files; an area not yet moved there is still in the settings.
            const QString file = notesfiles::filePath(notesfiles::standardFolder(), i);
            const notesfiles::ReadResult read = notesfiles::read(file);
            const bool inFile = read.status == notesfiles::ReadResult::Status::Read;
            const QString key = inFile ? file : keys::sharedNotes(i);
            for (const FoundLink& l :
                findLinks(inFile ? read.html : defaults.stringForKey(keys::sharedNotes(i)), NoteFormat::Html))
                links.append({ key, l.line, l.url, QString() });
        }
    }

    QHash<QString, ResolvedReference> routes;
    QStringList order;
    if (!links.isEmpty()) {
        RoutingTable routing(defaults);
        for (const RoutingTable::Entry& e : routing.resolveEntries()) {
            routes.insert(e.prefix, e.resolved);
            order.append(e.prefix);
        }
    }
    std::map<QString, std::unique_ptr<PdfPlaces>> opened;
    auto placesIn = [&opened, &io](const QString& filePath) -> const PdfPlaces& {
        std::unique_ptr<PdfPlaces>& places = opened[filePath];
        if (!places) {
            places = std::make_unique<PdfPlaces>(filePath);
            if (!places->isOpen())
                io.err += QStringLiteral("tolvo-cli: check: %1\n").arg(places->error());
        }
        return *places;
    };
    // The application's reading of each link, over the table resolved once above.
    const Dispatcher dispatch = [&order, &routes](const QString& url) {
        return decideDispatch(url, {}, order, [&routes](const QString& key) -> std::optional<ResolvedReference> {
            const auto route = routes.constFind(key);
            return route == routes.cend() ? std::nullopt : std::optional<ResolvedReference>(*route);
        });
    };
    bool broken = false;
    for (Checked& c : links) {
        const DispatchDecision decision = dispatchIncomingURL(c.url, dispatch);
        if (decision.kind != DispatchDecision::Kind::OpenFile) {
            c.state = QStringLiteral("no-pdf");
        } else if (!placesIn(decision.filePath).isOpen()) {
            c.state = QStringLiteral("no-pdf");
        } else {
            const PdfPlaces& places = placesIn(decision.filePath);
            auto moves = [&places](const QString& target) { return target.isEmpty() || places.namesAPlace(target); };
            // An empty target is the PDF as a whole.
            c.state = moves(targetToFollow(c.url, decision, moves)) ? QStringLiteral("ok") : QStringLiteral("no-place");
        }
        broken = broken || c.state != QLatin1String("ok");
    }

    if (json) {
        QJsonArray array;
        for (const Checked& c : std::as_const(links))
            array.append(
                QJsonObject { { "file", c.file }, { "line", c.line }, { "url", c.url }, { "state", c.state } });
        io.out += QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented));
    } else {
        for (const Checked& c : std::as_const(links))
            io.out += QStringLiteral("%1:%2: %3 %4\n").arg(c.file, QString::number(c.line), c.state, c.url);
    }
    return unreadable ? FileError : broken ? NotFound : Ok;
}

int runResolveURL(const QString& url, bool json, Output& io)
{
    const auto notFound = [&io, &url](const QString& why) {
        io.err += QStringLiteral("Unable to locate PDF\ntolvo-cli: resolve: %1: %2\n").arg(url, why);
        return NotFound;
    };
    Defaults& defaults = Defaults::standard();
    RoutingTable routing(defaults);
    // Read as the application reads it: dispatch tries the first key that fits and no other, even
    // when it no longer reaches its PDF, and a URL that finds nothing is tried percent-decoded.
    const DispatchDecision decision
        = dispatchIncomingURL(url, [&routing](const QString& text) { return decideDispatch(text, {}, routing); });
    if (decision.prefix.isEmpty())
        return notFound(QStringLiteral("no routing prefix fits"));
    const std::optional<ResolvedReference>& file = decision.reference;
    if (decision.kind != DispatchDecision::Kind::OpenFile || !file) {
        const QString state = file ? referenceStateName(file->state) : QStringLiteral("missing");
        return notFound(QStringLiteral("the PDF of %1 is %2%3")
                            .arg(decision.prefix, state,
                                file && !file->recordedPath.isEmpty() ? QStringLiteral(" (%1)").arg(file->recordedPath)
                                                                      : QString()));
    }

    if (file->state == ReferenceState::Moved)
        io.err += QStringLiteral(
            "tolvo-cli: resolve: the PDF of %1 was found at %2; the routing table names it there now\n")
                      .arg(decision.prefix, file->filePath);

    std::unique_ptr<PdfPlaces> places; // opened only when a percent-decoded target is to be weighed
    const QString target = targetToFollow(url, decision, [&places, &file](const QString& t) {
        if (!places)
            places = std::make_unique<PdfPlaces>(file->filePath);
        return !places->isOpen() || places->namesAPlace(t);
    });
    Output read;
    QStringList resolveArgs;
    if (json)
        resolveArgs << QStringLiteral("--json");
    resolveArgs << QStringLiteral("--") << file->filePath << target;
    const int code = runResolve(resolveArgs, read);
    io.err += read.err;
    if (code != Ok) {
        io.out += read.out;
        return code;
    }
    if (json) {
        QJsonObject object = QJsonDocument::fromJson(read.out.toUtf8()).object();
        object.insert(QStringLiteral("file"), file->filePath);
        object.insert(QStringLiteral("prefix"), decision.prefix);
        io.out += QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented));
    } else {
        io.out += QStringLiteral("file: %1\nprefix: %2\n").arg(file->filePath, decision.prefix) + read.out;
    }
    return Ok;
}

} // namespace tolvo::cli
