// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/AnnotationRecord.h"

namespace tolvo {

namespace {

bool isNoteType(const QString& type)
{
    return type == QLatin1String("Text") || type == QLatin1String("FreeText");
}

bool isPopup(const QString& type)
{
    return type == QLatin1String("Popup");
}

// The text under a markup: its quadrilaterals' corners taken two by two (0 with 1, 2 with 3, ...),
// each pair the selection from one point to the other, all merged; then each line followed by a space.
// Our points are already in page space, so no origin is added.
QString markupText(const pdf::Document& document, const pdf::Annotation& annotation)
{
    const QVector<QPointF>& points = annotation.quadPoints;
    pdf::TextSelection merged;
    for (qsizetype i = 0; i + 1 < points.size(); i += 2)
        merged.add(document.selectionFromPoint(annotation.pageIndex, points[i], annotation.pageIndex, points[i + 1]));
    QString text;
    for (const pdf::SelectionLine& line : merged.lines)
        text += line.text + QLatin1Char(' ');
    return text;
}

// What a reader wrote on a markup, when it is more than a copy of the text under it (some programs
// put the covered text into the contents).
QString markupComment(const pdf::Annotation& annotation, const QString& coveredText)
{
    if (!annotation.contents)
        return QString();
    const QString comment = annotation.contents->trimmed();
    if (comment.isEmpty() || comment.simplified().compare(coveredText.simplified(), Qt::CaseInsensitive) == 0)
        return QString();
    return comment;
}

} // namespace

void AnnotationCounts::count(const pdf::Annotation& annotation)
{
    if (isPopup(annotation.type)) {
        ++others;
    } else if (isNoteType(annotation.type)) {
        if (annotation.contents)
            ++notes;
        else
            ++others;
    } else if (annotation.isMarkup) {
        switch (annotation.markupType) {
        case 0:
            ++highlights;
            break;
        case 1:
            ++strikethroughs;
            break;
        case 2:
            ++underlines;
            break;
        default:
            // Squiggly and the like are never exported; without contents they count as others, as always.
            if (!annotation.contents)
                ++others;
            break;
        }
    } else {
        ++others;
    }
}

QString annotationsCountText(const AnnotationCounts& c)
{
    return QStringLiteral("\t%1\tNotes and freetext\n\t%2\tHighlighted text\n\t%3\tUnderlined text\n"
                          "\t%4\tStrikethrough text\n\t%5\tOther annotations")
        .arg(QString::number(c.notes), QString::number(c.highlights), QString::number(c.underlines),
            QString::number(c.strikethroughs), QString::number(c.others));
}

QString markupRecordType(int markupType)
{
    switch (markupType) {
    case 0:
        return QStringLiteral("Highlight");
    case 1:
        return QStringLiteral("Strikeout");
    case 2:
        return QStringLiteral("Underline");
    default:
        return QString();
    }
}

std::optional<AnnotationRecord> annotationRecord(
    const pdf::Document& document, const pdf::Annotation& annotation, const QString& pageLabel)
{
    if (isPopup(annotation.type))
        return std::nullopt;
    AnnotationRecord record;
    if (isNoteType(annotation.type)) {
        if (!annotation.contents)
            return std::nullopt;
        record.type = QStringLiteral("Note");
        record.text = *annotation.contents;
    } else if (annotation.isMarkup) {
        record.type = markupRecordType(annotation.markupType);
        record.text = markupText(document, annotation);
        record.comment = markupComment(annotation, record.text);
    } else {
        return std::nullopt;
    }
    record.pageLabel = pageLabel;
    record.pageIndex = annotation.pageIndex;
    record.name = annotation.name;
    record.colour = annotation.colour.value_or(QColor());
    record.selection = document.selectionForRect(annotation.pageIndex, annotation.bounds);
    return record;
}

AnnotationList prepareAnnotationsArray(const pdf::Document& document, const std::function<bool()>& stop)
{
    AnnotationList list;
    const int pages = document.pageCount();
    for (int page = 0; page < pages; ++page) {
        const std::vector<pdf::Annotation> annotations = document.annotations(page);
        QString label;
        for (const pdf::Annotation& annotation : annotations) {
            if (stop && stop())
                return list;
            list.counts.count(annotation);
            // Links are most of a manual's annotations and are never listed: nothing more to read.
            if (annotation.type == QLatin1String("Link"))
                continue;
            if (isPopup(annotation.type)) {
                list.popups.push_back({ page, annotation.bounds });
                continue;
            }
            if (label.isNull())
                label = document.pageLabel(page);
            if (std::optional<AnnotationRecord> record = annotationRecord(document, annotation, label))
                list.records.push_back(std::move(*record));
        }
    }
    list.complete = true;
    return list;
}

} // namespace tolvo
