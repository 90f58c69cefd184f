// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The document's annotation list: one record per note and text markup, in page
// order, which the search pane searches and the annotation export writes out;
// with it the pop-ups and the counts of the export dialog, made in the same walk.

#include "pdf/PdfDocument.h"

#include <QColor>
#include <QRectF>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace tolvo {

/// One annotation of the list: its kind, its text, its page and the text under its rectangle.
struct AnnotationRecord {
    /// "Note", "Highlight", "Underline", "Strikeout", or "" for another kind of text markup.
    QString type; // PDFAnnotationType
    QString text; // PDFAnnotationText: a note's contents, or the text under a markup
    QString pageLabel; // PDFAnnotationPageLabel
    int pageIndex = -1; ///< the page the annotation is on
    pdf::TextSelection selection; // PDFAnnotationPDFSelection: the page's selection for the bounds
    QString comment; ///< a markup's contents when they say more than the text under it; else empty
    QString name {}; ///< the annotation's /NM; empty when it has none
    QColor colour {}; ///< its /C; invalid when it has none
};

/// A pop-up annotation: the window of a note, which the page never shows itself.
struct PopupAnnotation {
    int pageIndex = -1;
    QRectF bounds; ///< page space
};

/// The five counters of the export dialog.
struct AnnotationCounts {
    quint64 notes = 0; ///< notes and free text with contents
    quint64 highlights = 0; ///< highlights, with contents or without
    quint64 underlines = 0; ///< underlines, with contents or without
    quint64 strikethroughs = 0; ///< strike-outs, with contents or without
    quint64 others = 0; ///< notes without contents, pop-ups, and everything that is neither note nor markup

    /// Counts one annotation by the dialog's rules; a markup of another kind (squiggly) counts nowhere.
    void count(const pdf::Annotation& annotation);
    /// The four kinds that can be exported, added up.
    quint64 exportable() const { return notes + highlights + underlines + strikethroughs; }
    bool operator==(const AnnotationCounts&) const = default;
};

/// The dialog's counts text: "\t%lu\tNotes and freetext\n..." with the five counts.
QString annotationsCountText(const AnnotationCounts& counts);

/// Everything one walk over a document's annotations gives.
struct AnnotationList {
    std::vector<AnnotationRecord> records; ///< annotationsArray
    std::vector<PopupAnnotation> popups;
    AnnotationCounts counts;
    bool complete = false; ///< false when the walk was stopped before the last page
};

/// The record of one annotation of a page, read through document; nothing for annotations that are
/// not listed (notes without contents, pop-ups, links and everything else that is neither note nor
/// text markup). A markup is listed with or without contents: most programs make highlights without.
std::optional<AnnotationRecord> annotationRecord(
    const pdf::Document& document, const pdf::Annotation& annotation, const QString& pageLabel);

/// The record kind of a markup type: 0 "Highlight", 1 "Strikeout", 2 "Underline", others "".
QString markupRecordType(int markupType);

/// Walks every page from the first to the last (prepareAnnotationsArray). stop is asked before
/// each annotation; when it answers true the walk ends there and the list is not complete.
AnnotationList prepareAnnotationsArray(const pdf::Document& document, const std::function<bool()>& stop = {});

} // namespace tolvo
