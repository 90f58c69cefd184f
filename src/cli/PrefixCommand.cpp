// SPDX-License-Identifier: GPL-3.0-or-later
// tolvo-cli prefix: the link prefix that a text makes.
#include "cli/CliArguments.h"
#include "cli/CliCommand.h"

#include "links/PathStrings.h"

namespace tolvo::cli {

namespace {

const char kPrefixHelp[] = "Usage: tolvo-cli prefix [--] TEXT\n\n"
                           "Prints the link prefix made from TEXT: its letters, digits, \".\", \"-\" and \"/\",\n"
                           "ending in \"/\". Use \"--\" before a TEXT that begins with \"-\".\n\n"
                           "Exit status: 0 printed, 1 nothing of TEXT can be a prefix, 2 wrong usage.\n";

} // namespace

int runPrefixAssign(const QStringList& args, Output& io); // RoutingCommands.cpp

int runPrefix(const QStringList& args, Output& io)
{
    if (!args.isEmpty() && args.first() == QLatin1String("--assign"))
        return runPrefixAssign(args.mid(1), io);
    const std::optional<Arguments> parsed = parseArguments(args, {}, {}, "prefix", io);
    if (!parsed)
        return UsageError;
    if (parsed->help) {
        io.out += QString::fromUtf8(kPrefixHelp);
        return Ok;
    }
    const QStringList& operands = parsed->positional;
    if (operands.isEmpty())
        return usageError(io, QStringLiteral("prefix: TEXT is missing"));
    if (operands.size() > 1)
        return usageError(
            io, QStringLiteral("prefix: one TEXT expected, got %1 (quote a text with blanks)").arg(operands.size()));

    const std::optional<QString> prefix = prefixCompatibleString(operands.front());
    if (!prefix) {
        io.err += QStringLiteral("tolvo-cli: prefix: \"%1\" has no letters or digits to make a prefix of\n")
                      .arg(operands.front());
        return FileError;
    }
    io.out += *prefix + QLatin1Char('\n');
    return Ok;
}

} // namespace tolvo::cli
