// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// HTML of a rich text, for text/html on the clipboard beside the RTF: most
// Linux programs paste HTML.

#include "links/RichText.h"

#include <QString>

namespace tolvo {

/// The body content of a rich text: one span that keeps white space
/// (pre-wrap), links as <a href> with their colour and underline given in the
/// style (text-decoration:none for links that are not underlined), fonts as
/// font-family and font-size, "\n", U+2028 and U+2029 as <br/>, tabs as
/// "&#9;". Everything is escaped, so the result is also well-formed XML; the
/// URL text goes into href verbatim, escaped. Characters XML cannot hold
/// (other control characters, unpaired surrogates) are left out or replaced by
/// U+FFFD.
QString toHtmlFragment(const RichText& text);

/// A whole HTML document around toHtmlFragment(), declaring UTF-8, in the form
/// browsers and LibreOffice paste.
QString toHtml(const RichText& text);

} // namespace tolvo
