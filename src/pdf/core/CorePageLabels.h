// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Page labels read from the PDF's /PageLabels number tree. Internal to pdf/core.

#include "pdf/PageLabels.h"

#include <QStringList>

#include <vector>

class PDFDoc;

namespace tolvo::pdf {

/// The label ranges, sorted by their first page (pageLabelIn() gives each page's label).
std::vector<PageLabelRange> readPageLabelRanges(PDFDoc& doc);

/// Every page's label, in page order, as pageLabelIn() gives it.
QStringList readPageLabels(PDFDoc& doc);

} // namespace tolvo::pdf
