// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf/PageLabels.h"

#include <algorithm>

namespace tolvo::pdf {

namespace {

QString roman(qint64 n, bool upper)
{
    static const struct {
        int value;
        const char* digits;
    } table[] = { { 1000, "m" }, { 900, "cm" }, { 500, "d" }, { 400, "cd" }, { 100, "c" }, { 90, "xc" }, { 50, "l" },
        { 40, "xl" }, { 10, "x" }, { 9, "ix" }, { 5, "v" }, { 4, "iv" }, { 1, "i" } };
    QString text;
    for (const auto& entry : table)
        for (; n >= entry.value; n -= entry.value)
            text += QLatin1String(entry.digits);
    return upper ? text.toUpper() : text;
}

} // namespace

QString formatPageNumber(NumberStyle style, qint64 number)
{
    // Beyond these a label would be absurdly long; decimal keeps it readable.
    constexpr qint64 maxRoman = 100000;
    constexpr qint64 maxLetters = 26 * 64;
    switch (style) {
    case NumberStyle::None:
        return QString();
    case NumberStyle::UpperRoman:
    case NumberStyle::LowerRoman:
        if (number >= 1 && number <= maxRoman)
            return roman(number, style == NumberStyle::UpperRoman);
        break;
    case NumberStyle::UpperLetters:
    case NumberStyle::LowerLetters:
        if (number >= 1 && number <= maxLetters) {
            const QChar letter(char16_t((style == NumberStyle::UpperLetters ? 'A' : 'a') + (number - 1) % 26));
            return QString(int((number - 1) / 26 + 1), letter);
        }
        break;
    case NumberStyle::Decimal:
        break;
    }
    return QString::number(number);
}

QString pageLabelIn(const std::vector<PageLabelRange>& ranges, int pageIndex)
{
    const auto after = std::upper_bound(ranges.begin(), ranges.end(), qint64(pageIndex),
        [](qint64 page, const PageLabelRange& range) { return page < range.start; });
    QString label;
    if (after != ranges.begin()) {
        const PageLabelRange& range = *(after - 1);
        label = range.prefix + formatPageNumber(range.style, pageIndex - range.start + range.first);
    }
    return label.isEmpty() ? QString::number(pageIndex + 1) : label;
}

} // namespace tolvo::pdf
