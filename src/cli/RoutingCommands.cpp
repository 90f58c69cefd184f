// SPDX-License-Identifier: GPL-3.0-or-later
// tolvo-cli prefix --assign and routes: the routing table from the command line.
#include "cli/CliArguments.h"
#include "cli/CliCommand.h"

#include "links/PathStrings.h"
#include "routing/FileIdentity.h"
#include "routing/RoutingTable.h"
#include "settings/Defaults.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace tolvo::cli {

namespace {

const char kAssignHelp[] = "Usage: tolvo-cli prefix --assign [--] PREFIX FILE\n\n"
                           "Stores the link prefix made from PREFIX for the PDF FILE in the routing table,\n"
                           "so that tolvo://PREFIX/... links open FILE, and prints the stored prefix.\n"
                           "A prefix that named another PDF names FILE from now on.\n\n"
                           "Exit status: 0 stored, 1 FILE is no readable PDF, nothing of PREFIX can be a\n"
                           "prefix, or the settings could not be written; 2 wrong usage.\n";

const char kRoutesHelp[]
    = "Usage: tolvo-cli routes [--json | --names]\n\n"
      "Lists the routing table, one entry per prefix, with its PDF and its state:\n"
      "  ok       the PDF is where the entry says\n"
      "  moved    the PDF was found elsewhere (moved or renamed); the entry now names its new place\n"
      "  missing  no PDF at the entry's path, and it was not found elsewhere\n"
      "  stale    another file stands at the entry's path now\n"
      "  invalid  the entry is damaged\n"
      "--json prints an array of {\"prefix\", \"path\", \"state\"}; --names only the prefixes, one a\n"
      "line, without looking for the PDFs (for shell completion).\n";

void noteLoadProblem(const Defaults& defaults, Output& io)
{
    if (!defaults.loadProblem().isEmpty())
        io.err += QStringLiteral("tolvo-cli: note: %1\n").arg(defaults.loadProblem());
}

} // namespace

int runPrefixAssign(const QStringList& args, Output& io)
{
    const std::optional<Arguments> parsed = parseArguments(args, {}, {}, "prefix --assign", io);
    if (!parsed)
        return UsageError;
    if (parsed->help) {
        io.out += QString::fromUtf8(kAssignHelp);
        return Ok;
    }
    const QStringList& operands = parsed->positional;
    if (operands.size() != 2)
        return usageError(io, QStringLiteral("prefix --assign: PREFIX and FILE expected"));

    const std::optional<QString> prefix = prefixCompatibleString(operands[0]);
    if (!prefix) {
        io.err += QStringLiteral("tolvo-cli: prefix --assign: \"%1\" has no letters or digits to make a prefix of\n")
                      .arg(operands[0]);
        return FileError;
    }
    const QString file = QDir::cleanPath(QFileInfo(operands[1]).absoluteFilePath());
    if (!QFileInfo(file).isFile()) {
        io.err += QStringLiteral("tolvo-cli: prefix --assign: no file at %1\n").arg(file);
        return FileError;
    }
    if (!looksLikePdf(file)) {
        io.err += QStringLiteral("tolvo-cli: prefix --assign: %1 is not a PDF (or cannot be read)\n").arg(file);
        return FileError;
    }

    Defaults& defaults = Defaults::standard();
    noteLoadProblem(defaults, io);
    RoutingTable routing(defaults, SearchScope::none());
    const RoutingTable::StoreResult stored = routing.storePrefix(*prefix, file);
    if (!stored.ok()) {
        io.err += QStringLiteral("tolvo-cli: prefix --assign: %1\n").arg(stored.error);
        return FileError;
    }
    io.out += *prefix + QLatin1Char('\n');
    return Ok;
}

int runRoutes(const QStringList& args, Output& io)
{
    bool json = false;
    bool names = false;
    for (const QString& arg : args) {
        if (arg == QLatin1String("--json"))
            json = true;
        else if (arg == QLatin1String("--names"))
            names = true;
        else if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            io.out += QString::fromUtf8(kRoutesHelp);
            return Ok;
        } else
            return usageError(io, QStringLiteral("routes: unexpected argument '%1'").arg(arg));
    }

    if (json && names)
        return usageError(io, QStringLiteral("routes: --json and --names exclude each other"));

    Defaults& defaults = Defaults::standard();
    noteLoadProblem(defaults, io);
    RoutingTable routing(defaults);
    if (names) {
        for (const QString& prefix : routing.keys())
            io.out += prefix + QLatin1Char('\n');
        return Ok;
    }
    bool renewed = true;
    const QList<RoutingTable::Entry> entries = routing.resolveEntries({}, &renewed);
    if (!renewed)
        io.err += QStringLiteral("tolvo-cli: routes: the new places of moved PDFs could not be saved\n");

    QJsonArray array;
    for (const RoutingTable::Entry& e : entries) {
        const QString path = e.resolved.found() ? e.resolved.filePath : e.resolved.recordedPath;
        const QString state = referenceStateName(e.resolved.state);
        if (json)
            array.append(QJsonObject { { "prefix", e.prefix }, { "path", path }, { "state", state } });
        else
            io.out += QStringLiteral("%1\t%2\t%3\n").arg(e.prefix, state, path);
    }
    if (json)
        io.out += QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented));
    return Ok;
}

} // namespace tolvo::cli
