// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The --password option, which every command that reads a PDF takes, and the opening of PDFs
// with it.

#include "pdf/PdfDocument.h"

#include <QStringList>

#include <optional>

namespace tolvo::cli {

/// Takes "--password PASSWORD" (or "--password=PASSWORD") out of args, before any "--", and keeps
/// the password for openPdf. Nothing when args are fine, else what is wrong with them.
std::optional<QString> takePasswordOption(QStringList& args);

/// Opens a PDF with the password given on the command line, if any. An encrypted PDF without one
/// says that it needs --password; a wrong one says so.
pdf::OpenResult openPdf(const QString& path);

/// The help line of the option.
inline constexpr char kPasswordHelp[] = "--password PASSWORD opens an encrypted PDF with its password.\n";

} // namespace tolvo::cli
