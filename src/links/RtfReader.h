// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A small RTF reader, for RTF pasted into the notes areas: text, paragraph and
// line breaks, tabs, HYPERLINK fields, colours, bold, italic, underline,
// strike-through and fonts, in the document's and the fonts' code pages.

#include "links/RichText.h"

#include <QByteArray>

#include <optional>

namespace tolvo {

/// The rich text of an RTF document; nothing when data does not begin with
/// "{\rtf" (after white space).
///
/// Reads whatever toRtf() writes, and the common part of what word processors
/// write: \par and \sect as "\n", \line as U+2028, \tab, \uN with \ucN
/// fallbacks, \'hh and bytes above 127 in the code page of the current font
/// (its \fcharset or \cpg) or else of the document (\ansicpg, 1252 by default),
/// two-byte code pages included, the usual symbol words, \fN and \fsN through
/// the font table, \cfN through the colour table, \b, \i, \strike, the
/// underline words, hidden text (\v) left out, list numbers and bullets as
/// the text that \listtext and \pntext give them, and
/// destinations that carry no text (font and colour tables, style sheets,
/// pictures, \* groups) skipped. A run's font is set only where the RTF set
/// \f or \fs explicitly.
///
/// Any input is safe: unbalanced braces end the document where the data ends,
/// groups nested deeper than a fixed limit are skipped, \bin data is passed
/// over, and unpaired surrogates become U+FFFD. Time is linear in the input.
std::optional<RichText> fromRtf(const QByteArray& data);

} // namespace tolvo
