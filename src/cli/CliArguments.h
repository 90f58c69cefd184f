// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The option parsing that the file commands of tolvo-cli share.

#include "cli/CliCommand.h"

#include <QHash>

#include <optional>

namespace tolvo::cli {

struct Arguments {
    QStringList positional;
    QHash<QString, QString> values; ///< options that take a value
    QStringList flags; ///< options without a value that were given
    bool help = false;
};

/// Reads args: options in valued take the next argument, those in flags stand
/// alone, "--" ends the options. Wrong usage is reported in io and gives nothing.
std::optional<Arguments> parseArguments(
    const QStringList& args, const QStringList& valued, const QStringList& flags, const char* command, Output& io);

} // namespace tolvo::cli
