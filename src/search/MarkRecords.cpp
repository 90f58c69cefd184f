// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/MarkRecords.h"

#include <QSet>

#include <algorithm>

namespace tolvo {

pdf::Annotation annotationOfMark(const pdf::Mark& mark)
{
    pdf::Annotation annotation;
    annotation.pageIndex = mark.pageIndex;
    annotation.name = mark.id;
    annotation.colour = mark.colour;
    annotation.bounds = mark.bounds();
    annotation.contents = mark.contents();
    switch (mark.kind) {
    case pdf::MarkKind::Note:
        annotation.type = QStringLiteral("Text");
        return annotation;
    case pdf::MarkKind::Highlight:
        annotation.type = QStringLiteral("Highlight");
        annotation.markupType = 0;
        break;
    case pdf::MarkKind::StrikeOut:
        annotation.type = QStringLiteral("StrikeOut");
        annotation.markupType = 1;
        break;
    case pdf::MarkKind::Underline:
        annotation.type = QStringLiteral("Underline");
        annotation.markupType = 2;
        break;
    }
    annotation.isMarkup = true;
    // As the PDF orders them: top left, top right, bottom left, bottom right (page space, y up).
    for (const QRectF& line : mark.rects)
        annotation.quadPoints << QPointF(line.left(), line.bottom()) << QPointF(line.right(), line.bottom())
                              << QPointF(line.left(), line.top()) << QPointF(line.right(), line.top());
    return annotation;
}

namespace {

void uncount(AnnotationCounts& counts, const AnnotationRecord& record)
{
    auto down = [](quint64& n) { n = n > 0 ? n - 1 : 0; };
    if (record.type == QLatin1String("Note"))
        down(counts.notes);
    else if (record.type == QLatin1String("Highlight"))
        down(counts.highlights);
    else if (record.type == QLatin1String("Underline"))
        down(counts.underlines);
    else if (record.type == QLatin1String("Strikeout"))
        down(counts.strikethroughs);
}

} // namespace

AnnotationList withUnsavedMarks(
    const pdf::Document& document, const AnnotationList& fromFile, const std::vector<pdf::MarkEdit>& pending)
{
    if (pending.empty())
        return fromFile;
    QSet<QString> edited;
    for (const pdf::MarkEdit& edit : pending)
        edited.insert(edit.id);
    AnnotationList list;
    list.popups = fromFile.popups;
    list.counts = fromFile.counts;
    list.complete = fromFile.complete;
    for (const AnnotationRecord& record : fromFile.records) {
        if (!record.name.isEmpty() && edited.contains(record.name))
            uncount(list.counts, record);
        else
            list.records.push_back(record);
    }
    for (const pdf::MarkEdit& edit : pending) {
        if (!edit.mark)
            continue;
        const pdf::Annotation annotation = annotationOfMark(*edit.mark);
        std::optional<AnnotationRecord> record
            = annotationRecord(document, annotation, document.pageLabel(annotation.pageIndex));
        if (!record)
            continue;
        list.counts.count(annotation);
        // After the last record of its page, before the first of a later page.
        const auto at = std::upper_bound(list.records.begin(), list.records.end(), record->pageIndex,
            [](int page, const AnnotationRecord& other) { return page < other.pageIndex; });
        list.records.insert(at, std::move(*record));
    }
    return list;
}

} // namespace tolvo
