// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliArguments.h"

namespace tolvo::cli {

std::optional<Arguments> parseArguments(
    const QStringList& args, const QStringList& valued, const QStringList& flags, const char* command, Output& io)
{
    Arguments parsed;
    bool optionsDone = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (optionsDone || !arg.startsWith(QLatin1Char('-')) || arg.size() == 1) {
            parsed.positional << arg;
        } else if (arg == QLatin1String("--")) {
            optionsDone = true;
        } else if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            parsed.help = true;
        } else if (flags.contains(arg)) {
            parsed.flags << arg;
        } else if (valued.contains(arg)) {
            if (i + 1 >= args.size()) {
                usageError(io, QStringLiteral("%1: %2 needs a value").arg(QLatin1String(command), arg));
                return std::nullopt;
            }
            parsed.values.insert(arg, args[++i]);
        } else {
            usageError(io, QStringLiteral("%1: unknown option '%2'").arg(QLatin1String(command), arg));
            return std::nullopt;
        }
    }
    return parsed;
}

} // namespace tolvo::cli
