// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/AnnotationExport.h"

#include "links/HtmlWriter.h"
#include "links/LinkGrammar.h"
#include "links/RtfWriter.h"
#include "pdf/PdfMarks.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace tolvo {

namespace {

const QLatin1String kNotesKey("ExportNotes");
const QLatin1String kHighlightsKey("ExportHighlights");
const QLatin1String kUnderlinesKey("ExportUnderlines");
const QLatin1String kStrikethroughsKey("ExportStrikethroughs");

QString quoted(const QString& text, bool useQuotes)
{
    return useQuotes ? QStringLiteral("\"%1\"").arg(text) : text;
}

// One line of a block quote: the line without trailing blanks, which Markdown would read as a line break.
QString quoteLine(QStringView line)
{
    qsizetype end = line.size();
    while (end > 0 && line[end - 1].isSpace())
        --end;
    return end == 0 ? QStringLiteral(">") : QStringLiteral("> ") + markdownEscaped(line.left(end));
}

// A reader's comment as one paragraph after the quoted text, its own line breaks kept as hard breaks.
QString commentParagraph(const QString& comment)
{
    QString text = comment;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines;
    for (const QStringView line : QStringView(text).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        if (!line.trimmed().isEmpty())
            lines << markdownEscaped(line.trimmed());
    return lines.join(QLatin1String("\\\n"));
}

} // namespace

bool ExportOptions::includes(const QString& type) const
{
    if (type == QLatin1String("Note"))
        return exportNotes;
    if (type == QLatin1String("Highlight"))
        return exportHighlights;
    if (type == QLatin1String("Underline"))
        return exportUnderlines;
    if (type == QLatin1String("Strikeout"))
        return exportStrikethroughs;
    return false;
}

QVariantMap ExportOptions::toDictionary() const
{
    return { { kNotesKey, exportNotes }, { kHighlightsKey, exportHighlights }, { kUnderlinesKey, exportUnderlines },
        { kStrikethroughsKey, exportStrikethroughs } };
}

ExportOptions ExportOptions::fromDictionary(const QVariantMap& d)
{
    return { d.value(kNotesKey).toBool(), d.value(kHighlightsKey).toBool(), d.value(kUnderlinesKey).toBool(),
        d.value(kStrikethroughsKey).toBool() };
}

QString exportFormatName(ExportFormat format)
{
    switch (format) {
    case ExportFormat::Markdown:
        return QStringLiteral("markdown");
    case ExportFormat::Html:
        return QStringLiteral("html");
    case ExportFormat::Rtf:
        break;
    }
    return QStringLiteral("rtf");
}

std::optional<ExportFormat> exportFormatFromName(const QString& name)
{
    for (ExportFormat format : { ExportFormat::Rtf, ExportFormat::Markdown, ExportFormat::Html })
        if (name == exportFormatName(format))
            return format;
    return std::nullopt;
}

QString exportFormatExtension(ExportFormat format)
{
    switch (format) {
    case ExportFormat::Markdown:
        return QStringLiteral(".md");
    case ExportFormat::Html:
        return QStringLiteral(".html");
    case ExportFormat::Rtf:
        break;
    }
    return QStringLiteral(".rtf");
}

std::optional<RichText> annotationExportRichText(
    const std::vector<AnnotationRecord>& records, const ExportOptions& options, const ExportStyle& style)
{
    RichText text;
    bool any = false;
    for (const AnnotationRecord& record : records) {
        if (!options.includes(record.type))
            continue;
        any = true;
        text += QStringLiteral("\nPage %1, %2 annotation ").arg(record.pageLabel, record.type);
        const LinkPlace place = LinkPlace::page(record.pageLabel);
        // Underlined whatever TolvoShouldUnderlineURLs says, and without the user font.
        text += styledLink(
            displayText(style.linkStyle, style.prefix, place), pageLink(style.prefix, record.pageLabel), true);
        text += QStringLiteral("\n%1\n").arg(quoted(record.text, style.useQuotes));
        if (!record.comment.isEmpty())
            text += record.comment + QLatin1Char('\n');
        text += QStringLiteral(" \n");
    }
    if (!any)
        return std::nullopt;
    return text;
}

std::optional<QString> annotationExportMarkdown(
    const std::vector<AnnotationRecord>& records, const ExportOptions& options, const ExportStyle& style)
{
    QStringList entries;
    for (const AnnotationRecord& record : records) {
        if (!options.includes(record.type))
            continue;
        const LinkRendering link = renderLink(style.linkStyle, style.prefix, LinkPlace::page(record.pageLabel));
        const QString colour = pdf::markColourName(record.colour);
        QString entry = QStringLiteral("### Page %1, %2 annotation%3\n\n%4\n\n")
                            .arg(markdownEscaped(record.pageLabel), record.type,
                                colour.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(colour), link.markdownLink);
        QStringList lines;
        // The space that ends each line of a markup's text has no place inside quotation marks here.
        QString text = record.text;
        while (!text.isEmpty() && text.back().isSpace())
            text.chop(1);
        QString body = quoted(text, style.useQuotes);
        body.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
        for (const QStringView line : QStringView(body).split(QLatin1Char('\n')))
            lines << quoteLine(line);
        entry += lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
        if (!record.comment.isEmpty())
            entry += QLatin1Char('\n') + commentParagraph(record.comment) + QLatin1Char('\n');
        entries << entry;
    }
    if (entries.isEmpty())
        return std::nullopt;
    return entries.join(QLatin1Char('\n'));
}

std::optional<QByteArray> annotationExportDocument(const std::vector<AnnotationRecord>& records,
    const ExportOptions& options, const ExportStyle& style, ExportFormat format)
{
    if (format == ExportFormat::Markdown) {
        const std::optional<QString> markdown = annotationExportMarkdown(records, options, style);
        return markdown ? std::optional(markdown->toUtf8()) : std::nullopt;
    }
    const std::optional<RichText> text = annotationExportRichText(records, options, style);
    if (!text)
        return std::nullopt;
    return format == ExportFormat::Html ? toHtml(*text).toUtf8() : toRtf(*text);
}

QString annotationExportPath(const QString& pdfPath, ExportFormat format, const QString& folder)
{
    QString name = QFileInfo(pdfPath).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot > 0)
        name.truncate(dot);
    return QDir(folder).filePath(name + exportFormatExtension(format));
}

bool writeExportFile(const QString& path, const QByteArray& bytes, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace tolvo
