// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// RTF of our own writing: what text/rtf on the clipboard, drags and the
// annotation export carry.

#include "links/RichText.h"

#include <QByteArray>

namespace tolvo {

/// The RTF document of a rich text.
///
/// Plain ASCII throughout: other characters become \uN\'3f escapes (one per
/// UTF-16 unit, N signed, "?" for readers without Unicode); "\n" is a
/// paragraph break (\par), U+2028 a line break (\line), tabs \tab. A run with a
/// link becomes a HYPERLINK field whose result carries the run's colour,
/// underline and font; neighbouring runs with the same link share one field.
/// The URL text goes in verbatim except for '"', '\', control characters and
/// characters beyond ASCII, which are percent-encoded as UTF-8 (and then "%"
/// too), since field instructions have no escape for them that every reader
/// understands. Runs without a font take the default font
/// f0 (Helvetica) at the reader's default size.
QByteArray toRtf(const RichText& text);

} // namespace tolvo
