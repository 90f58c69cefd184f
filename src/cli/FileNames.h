// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// File names as tolvo-cli takes them: the file system's bytes, "-" for standard
// input and output, and atomic writes of whole files.

#include "cli/CliCommand.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace tolvo::cli {

/// A command-line argument as a QString that Qt and Poppler can open. Qt keeps file names as
/// text, so a name whose bytes are not valid in the locale's encoding (a Latin-1 name on a
/// UTF-8 system) would lose them: an existing file of such a name is opened here and named
/// through its descriptor; any other such name is remembered for writeOutput.
QString argumentFromBytes(const QByteArray& raw);

/// The name to show and to make prefixes from: the argument as given, bytes that are not
/// text shown as U+FFFD.
QString shownName(const QString& path);

/// text with every descriptor name that argumentFromBytes made put back as shownName.
QString withShownNames(QString text);

/// The bytes of a text file, or of standard input for "-"; nothing (the reason in io) when it
/// cannot be read.
std::optional<QByteArray> readInput(const QString& path, const char* command, Output& io);

/// Writes bytes to the file name, replacing it only once they are complete, or for "-" to
/// standard output. Ok, or FileError with the reason in io.
int writeOutput(const QString& name, const QByteArray& bytes, const char* command, Output& io);

} // namespace tolvo::cli
