// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// OPML export of an outline: the element of each item and the whole file text.
//
// Every text written into the file is escaped, and every character outside
// printable ASCII is written as a numeric character reference, so the file's
// bytes are ASCII and read the same under either encoding it declares.

#include <QString>
#include <QtGlobal>

namespace tolvo {

class OutlineTree;

/// The title as an OPML element carries it: line breaks, apostrophes, double
/// quotes and angle brackets become spaces, and "&" becomes "and".
QString opmlCleanTitle(const QString& title);

/// Text made safe for an XML attribute or element: "&", "<", ">" and '"' as
/// entities, anything outside printable ASCII as a reference of its code point.
/// Characters that XML cannot carry at all (most control characters, unpaired
/// surrogates, U+FFFE and U+FFFF) become U+FFFD.
QString opmlEscaped(const QString& text);

/// The whole OPML file of an outline for a PDF named fileName: declaration,
/// root element, head with the title, and the body of every item's element.
/// A style other than 0, 1 or 2 writes style 0.
QString OPMLFileText(const OutlineTree& tree, const QString& fileName, const QString& prefix, quint64 style);

} // namespace tolvo
