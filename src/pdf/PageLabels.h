// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The number part of page labels, written in a label range's numbering style.

#include <QString>

namespace tolvo::pdf {

/// The numbering styles of a page label range (/S).
enum class NumberStyle { None, Decimal, UpperRoman, LowerRoman, UpperLetters, LowerLetters };

/// The number part of a label: "iv", "IV", "b", "BB", "12"; a number a style cannot write comes out decimal.
QString formatPageNumber(NumberStyle style, qint64 number);

} // namespace tolvo::pdf
