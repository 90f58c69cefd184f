// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The annotation list as it is while marks wait to be written into the PDF: the
// file's list with the unsaved marks put in and the removed ones taken out, so that
// search and export see a mark the moment it is made.

#include "search/AnnotationRecord.h"

#include "pdf/PdfMarks.h"

namespace tolvo {

/// A mark as the annotation it becomes in the PDF.
pdf::Annotation annotationOfMark(const pdf::Mark& mark);

/// The file's list with the pending edits applied: records named by an edited id go, records of
/// the edited marks come in their page's place (after the page's other records); counts follow.
AnnotationList withUnsavedMarks(
    const pdf::Document& document, const AnnotationList& fromFile, const std::vector<pdf::MarkEdit>& pending);

} // namespace tolvo
