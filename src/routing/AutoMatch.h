// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Auto-match: prefixes prepared for files before they were ever opened, kept in
// the defaults store under "matchingDictionarySandboxed" as prefix text -> file
// name or path.

#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <optional>

namespace tolvo {

class Defaults;

/// The last path component of a matching value ("" for an empty value or "/").
QString matchingFileName(const QString& value);

/// The keys whose value's file name, in lower case, ends the PDF's path in lower case
/// (a plain text suffix, no folder boundary), in the table's order. An empty file name matches nothing.
QStringList autoMatchKeys(const QVariantMap& matching, const QString& pdfPath);

/// The prefixes of the fitting keys made prefix-safe, the most specific (longest file
/// name) first, each once. Empty when none fits or the matching is switched off.
QStringList autoMatchPrefixes(const Defaults& defaults, const QString& pdfPath);

/// The prefix auto-match gives the PDF: of the fitting keys the one with the longest
/// file name (the most specific), made prefix-safe. Nothing when none fits or the
/// matching is switched off.
std::optional<QString> autoMatchPrefix(const Defaults& defaults, const QString& pdfPath);

} // namespace tolvo
