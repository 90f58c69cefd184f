// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The clipboard and drag contents that links leave the program as.

#include <QMimeData>
#include <QString>
#include <QStringList>

#include <memory>

namespace tolvo {

class RichText;

inline constexpr char kMimeRtf[] = "text/rtf";
inline constexpr char kMimeApplicationRtf[] = "application/rtf";
inline constexpr char kMimeHtml[] = "text/html";
inline constexpr char kMimePlain[] = "text/plain";
inline constexpr char kMimeUriList[] = "text/uri-list";
inline constexpr char kMimeMozUrl[] = "text/x-moz-url";

/// Rich text as other programs paste it: text/rtf and application/rtf (our RTF), text/html (our
/// HTML) and text/plain. plain is the plain text to carry; by default the rich text's visible text.
std::unique_ptr<QMimeData> richTextMimeData(const RichText& text);
std::unique_ptr<QMimeData> richTextMimeData(const RichText& text, const QString& plain);

/// Writes the formats of richTextMimeData into data.
void writeRichText(QMimeData& data, const RichText& text, const QString& plain);

/// A string alone: text/plain.
std::unique_ptr<QMimeData> plainTextMimeData(const QString& text);

/// URL objects: text/uri-list and text/x-moz-url of the links, in order, each its URL text as a
/// URI (uriText: percent-encoded only where a URI cannot hold a character, never lower-cased or
/// punycoded), and text/plain of the URL texts as they are, one a line. Nothing for no links.
std::unique_ptr<QMimeData> urlMimeData(const QStringList& urlTexts);

/// Replaces the general clipboard's content with data; a null data leaves it as it was.
void putOnClipboard(std::unique_ptr<QMimeData> data);

} // namespace tolvo
