// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Text and link destinations written so that a CommonMark reader gives them back as they were.

#include <QString>
#include <QStringView>

namespace tolvo {

/// Text that CommonMark shows literally, in link text, a heading, a list item or a block quote
/// line: a backslash before every character it gives a meaning there (\ [ ] * _ < > ` &), and
/// before the character that would open a block when the text starts a line (# + - = ~, the "."
/// or ")" after a number). Line breaks become blanks, since a blank line would end the link or
/// the paragraph. Every Markdown writer passes titles, labels and quoted text through it.
QString markdownEscaped(QStringView text);

/// The destination of an inline link that CommonMark reads back as url: backslashes, angle
/// brackets and parentheses escaped, "&" as "&amp;"; in angle brackets when the URL holds a blank or a control
/// character. A line break, which no destination can hold, is percent-encoded, and "%" with it,
/// so that the link's percent-decoded reading gives the URL text back.
QString markdownDestination(const QString& url);

/// "[label](destination)", the label escaped by markdownEscaped.
QString markdownLink(const QString& label, const QString& urlText);

} // namespace tolvo
