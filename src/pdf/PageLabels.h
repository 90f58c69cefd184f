#pragma once
// Page labels read from the PDF's /PageLabels number tree. Adapter-internal.

#include <QString>
#include <QStringList>

class PDFDoc;

namespace tolvo::pdf {

/// The numbering styles of a page label range (/S).
enum class NumberStyle { None, Decimal, UpperRoman, LowerRoman, UpperLetters, LowerLetters };

/// The number part of a label: "iv", "IV", "b", "BB", "12"; a number a style cannot write comes out decimal.
QString formatPageNumber(NumberStyle style, qint64 number);

/// Every page's label, in page order. A page that the PDF labels with nothing (outside every
/// range, or a range with neither prefix nor style) gets its page number, "1", "2", ...
QStringList readPageLabels(PDFDoc& doc);

} // namespace tolvo::pdf
