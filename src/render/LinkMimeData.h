// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The clipboard and drag contents that links leave the program as.

#include <QMimeData>
#include <QString>
#include <QStringList>

#include <QUrl>

#include <memory>
#include <optional>

namespace tolvo {

class RichText;

inline constexpr char kMimeRtf[] = "text/rtf";
inline constexpr char kMimeApplicationRtf[] = "application/rtf";
inline constexpr char kMimeHtml[] = "text/html";
inline constexpr char kMimePlain[] = "text/plain";
inline constexpr char kMimeUriList[] = "text/uri-list";

/// Rich text as other programs paste it: text/rtf and application/rtf (our RTF), text/html (our
/// HTML) and text/plain. plain is the plain text to carry; by default the rich text's visible text.
std::unique_ptr<QMimeData> richTextMimeData(const RichText& text);
std::unique_ptr<QMimeData> richTextMimeData(const RichText& text, const QString& plain);

/// Writes the formats of richTextMimeData into data.
void writeRichText(QMimeData& data, const RichText& text, const QString& plain);

/// A string alone: text/plain.
std::unique_ptr<QMimeData> plainTextMimeData(const QString& text);

/// URL objects: text/uri-list of the links, in order, and text/plain of their URL texts one a
/// line. A URL text that makes no valid URL (a blank in a page label, say) is left out, since
/// it would reach other programs as some other link; nothing when none is left.
std::unique_ptr<QMimeData> urlMimeData(const QStringList& urlTexts);

/// The URL object of a URL text; nothing when the text holds a blank, a control character or
/// one of the characters " < > \ ^ ` { | } (which other programs would see percent-encoded) or is no URL at all.
/// Letters beyond ASCII are kept: they leave as an IRI does.
std::optional<QUrl> linkUrl(const QString& urlText);

/// Replaces the general clipboard's content with data; a null data leaves it as it was.
void putOnClipboard(std::unique_ptr<QMimeData> data);

} // namespace tolvo
