// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Rich text from the clipboard or a drop: its HTML, else its RTF.

#include <QTextDocumentFragment>

#include <optional>

class QMimeData;

namespace tolvo {

/// The rich text a mime container carries: text/html as it is, else text/rtf or
/// application/rtf read by our RTF reader. Nothing when it holds neither, or
/// only RTF that cannot be read.
std::optional<QTextDocumentFragment> richTextFromMimeData(const QMimeData* data);

/// True when richTextFromMimeData may find something (without reading it).
bool hasRichText(const QMimeData* data);

} // namespace tolvo
