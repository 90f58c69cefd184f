// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Text operations on TOC titles, link paths and prefixes.
//
// Pure functions of their arguments. Word characters are letters, marks and
// decimal digits, tested per UTF-16 unit; everything else separates words.

#include <QString>
#include <QStringList>
#include <optional>

namespace tolvo {

/// True for a letter, a combining mark or a decimal digit.
bool isWordCharacter(QChar c);

/// The dotted form of a title: lower-cased words joined with ".", empty words dropped.
QString longestDotSeparatedCombo(const QString& text);

/// Plain, case-sensitive substring test; the empty needle never occurs.
bool hasSubstring(const QString& haystack, const QString& needle);

/// Whether pattern is an abbreviation of title (words in order, each a substring).
bool hasDotEquivalent(const QString& title, const QString& pattern);

/// At least two units, the last one of "aeiou", the one before it not.
bool isConsonantPlusVowelCombo(const QString& text);

/// Shortened variants of text cut at separator; never empty, the first is text itself.
QStringList miniComponentsSeparatedByString(const QString& text, const QString& separator);

/// The text without "-" and "."; nothing when nothing is left.
std::optional<QString> extractWord(const QString& text);

/// Runs of blanks and tabs become one space; leading and trailing runs go.
QString trimSpacesString(const QString& text);

/// The text made into a link prefix ending in "/", or nothing when nothing is left.
std::optional<QString> prefixCompatibleString(const QString& text);

} // namespace tolvo
