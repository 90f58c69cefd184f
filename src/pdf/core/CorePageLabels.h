// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Page labels read from the PDF's /PageLabels number tree. Internal to pdf/core.

#include <QStringList>

class PDFDoc;

namespace tolvo::pdf {

/// Every page's label, in page order. A page that the PDF labels with nothing (outside every
/// range, or a range with neither prefix nor style) gets its page number, "1", "2", ...
QStringList readPageLabels(PDFDoc& doc);

} // namespace tolvo::pdf
