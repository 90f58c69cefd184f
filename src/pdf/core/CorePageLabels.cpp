// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf/core/CorePageLabels.h"

#include "pdf/PageLabels.h"
#include "pdf/core/CoreText.h"

#include <Object.h>
#include <PDFDoc.h>
#include <XRef.h>

#include <algorithm>
#include <set>
#include <vector>

namespace tolvo::pdf {

namespace {

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

void collectRanges(const Object& node, XRef* xref, int depth, std::set<int>& seen, std::vector<PageLabelRange>& out)
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
            PageLabelRange range;
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

} // namespace

std::vector<PageLabelRange> readPageLabelRanges(PDFDoc& doc)
{
    std::vector<PageLabelRange> ranges;
    if (XRef* xref = doc.getXRef()) {
        const Object catalog = xref->getCatalog();
        if (catalog.isDict()) {
            std::set<int> seen;
            collectRanges(catalog.dictLookup("PageLabels"), xref, 0, seen, ranges);
        }
    }
    // The tree is meant to be sorted; a damaged one need not be.
    std::stable_sort(ranges.begin(), ranges.end(),
        [](const PageLabelRange& a, const PageLabelRange& b) { return a.start < b.start; });
    return ranges;
}

QStringList readPageLabels(PDFDoc& doc)
{
    const std::vector<PageLabelRange> ranges = readPageLabelRanges(doc);
    const int pageCount = doc.getNumPages();
    QStringList labels;
    labels.reserve(pageCount);
    for (int page = 0; page < pageCount; ++page)
        labels.append(pageLabelIn(ranges, page));
    return labels;
}

} // namespace tolvo::pdf
