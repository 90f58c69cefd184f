#include "pdf/PageLabels.h"

#include "pdf/CoreText.h"

#include <Object.h>
#include <PDFDoc.h>
#include <XRef.h>

#include <algorithm>
#include <set>
#include <vector>

namespace tolvo::pdf {

namespace {

struct Range {
    qint64 start = 0;
    NumberStyle style = NumberStyle::None;
    QString prefix;
    qint64 first = 1;
};

// A number tree can be deep or, when damaged, cyclic; both are bounded.
constexpr int maxTreeDepth = 32;
constexpr size_t maxRanges = 100000;

NumberStyle styleOf(const Object& s)
{
    if (s.isName("D"))
        return NumberStyle::Decimal;
    if (s.isName("R"))
        return NumberStyle::UpperRoman;
    if (s.isName("r"))
        return NumberStyle::LowerRoman;
    if (s.isName("A"))
        return NumberStyle::UpperLetters;
    if (s.isName("a"))
        return NumberStyle::LowerLetters;
    return NumberStyle::None;
}

void collectRanges(const Object& node, XRef* xref, int depth, std::set<int>& seen, std::vector<Range>& out)
{
    if (!node.isDict() || depth > maxTreeDepth)
        return;
    const Object nums = node.dictLookup("Nums");
    if (nums.isArray()) {
        for (int i = 0; i + 1 < nums.arrayGetLength() && out.size() < maxRanges; i += 2) {
            const Object key = nums.arrayGet(i);
            const Object value = nums.arrayGet(i + 1);
            if (!key.isInt() || key.getInt() < 0 || !value.isDict())
                continue;
            Range range;
            range.start = key.getInt();
            range.style = styleOf(value.dictLookup("S"));
            range.prefix = textOf(value.dictLookup("P")).value_or(QString());
            const Object st = value.dictLookup("St");
            if (st.isInt())
                range.first = st.getInt();
            out.push_back(std::move(range));
        }
    }
    const Object kids = node.dictLookup("Kids");
    if (!kids.isArray())
        return;
    for (int i = 0; i < kids.arrayGetLength(); ++i) {
        const Object ref = kids.arrayGetNF(i).copy();
        if (ref.isRef() && !seen.insert(ref.getRefNum()).second)
            continue;
        collectRanges(ref.fetch(xref), xref, depth + 1, seen, out);
    }
}

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

QStringList readPageLabels(PDFDoc& doc)
{
    const int pageCount = doc.getNumPages();
    std::vector<Range> ranges;
    if (XRef* xref = doc.getXRef()) {
        const Object catalog = xref->getCatalog();
        if (catalog.isDict()) {
            std::set<int> seen;
            collectRanges(catalog.dictLookup("PageLabels"), xref, 0, seen, ranges);
        }
    }
    // The tree is meant to be sorted; a damaged one need not be.
    std::stable_sort(ranges.begin(), ranges.end(), [](const Range& a, const Range& b) { return a.start < b.start; });

    QStringList labels;
    labels.reserve(pageCount);
    size_t next = 0;
    const Range* current = nullptr;
    for (int page = 0; page < pageCount; ++page) {
        while (next < ranges.size() && ranges[next].start <= page)
            current = &ranges[next++];
        QString label;
        if (current)
            label = current->prefix + formatPageNumber(current->style, page - current->start + current->first);
        labels.append(label.isEmpty() ? QString::number(page + 1) : label);
    }
    return labels;
}

} // namespace tolvo::pdf
