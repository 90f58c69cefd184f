// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The number part of page labels, written in a label range's numbering style.

#include <QString>

#include <vector>

namespace tolvo::pdf {

/// The numbering styles of a page label range (/S).
enum class NumberStyle { None, Decimal, UpperRoman, LowerRoman, UpperLetters, LowerLetters };

/// The number part of a label: "iv", "IV", "b", "BB", "12"; a number a style cannot write comes out decimal.
QString formatPageNumber(NumberStyle style, qint64 number);

/// One range of page labels: from its first page on, the prefix, then the pages numbered in a
/// style from a first number.
struct PageLabelRange {
    qint64 start = 0; ///< page index
    NumberStyle style = NumberStyle::None;
    QString prefix;
    qint64 first = 1;
};

/// The label of pageIndex (0 or more) under ranges sorted by their first page; a page that they
/// label with nothing (outside every range, or a range with neither prefix nor style) gets its
/// page number, "1", "2", ...
QString pageLabelIn(const std::vector<PageLabelRange>& ranges, int pageIndex);

} // namespace tolvo::pdf
