// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The annotation export document: every chosen note and markup of the annotation
// list, headed by its page and kind, with a link to its page and its text; as
// RTF (the default), HTML, or Markdown for note-taking programs.

#include "links/LinkText.h"
#include "links/RichText.h"
#include "search/AnnotationRecord.h"

#include <QByteArray>
#include <QString>
#include <QVariantMap>

#include <optional>

namespace tolvo {

/// The export options: which of the four kinds go into the document.
struct ExportOptions {
    bool exportNotes = true;
    bool exportHighlights = true;
    bool exportUnderlines = true;
    bool exportStrikethroughs = true;

    bool any() const { return exportNotes || exportHighlights || exportUnderlines || exportStrikethroughs; }
    /// Whether a record of that type is exported; type "" never is.
    bool includes(const QString& recordType) const;
    /// {"ExportNotes", "ExportHighlights", "ExportUnderlines", "ExportStrikethroughs"} as booleans.
    QVariantMap toDictionary() const;
    /// The options of such a dictionary; a missing entry is off.
    static ExportOptions fromDictionary(const QVariantMap& dictionary);
    bool operator==(const ExportOptions&) const = default;
};

enum class ExportFormat { Rtf, Markdown, Html };

/// "rtf", "markdown", "html": the names the command line takes.
QString exportFormatName(ExportFormat format);
std::optional<ExportFormat> exportFormatFromName(const QString& name);
/// ".rtf", ".md", ".html".
QString exportFormatExtension(ExportFormat format);

/// How the links and texts of the document are written.
struct ExportStyle {
    QString prefix; ///< the document's prefix, ending in "/"
    LinkStyle linkStyle = LinkStyle::Expanded; ///< TolvoURLRichTextPreference
    bool useQuotes = true; ///< TolvoAnnoExportUseQuotes
};

/// The rich text of the export: per chosen record "\nPage L, T annotation ", the page link (blue,
/// always underlined, no user font, its closing space plain), the text on its own line (in double
/// quotation marks with useQuotes) and " \n". Nothing when no record is chosen.
std::optional<RichText> annotationExportRichText(
    const std::vector<AnnotationRecord>& records, const ExportOptions& options, const ExportStyle& style);

/// The Markdown export: per chosen record a heading "### Page L, T annotation", the page link as a
/// Markdown link, and the text without its closing blanks as a block quote, one "> " line per line
/// (in double quotation marks with useQuotes); entries apart by a blank line. Nothing when no
/// record is chosen.
std::optional<QString> annotationExportMarkdown(
    const std::vector<AnnotationRecord>& records, const ExportOptions& options, const ExportStyle& style);

/// The export file's bytes in a format (RTF, UTF-8 Markdown, UTF-8 HTML); nothing when no record is chosen.
std::optional<QByteArray> annotationExportDocument(const std::vector<AnnotationRecord>& records,
    const ExportOptions& options, const ExportStyle& style, ExportFormat format);

/// Where the export of the PDF goes: folder joined with the PDF's file name, its last extension
/// replaced by the format's.
QString annotationExportPath(const QString& pdfPath, ExportFormat format, const QString& folder);

/// Writes bytes atomically, replacing a file of that name. False, with the reason in error, when it failed.
bool writeExportFile(const QString& path, const QByteArray& bytes, QString* error);

} // namespace tolvo
