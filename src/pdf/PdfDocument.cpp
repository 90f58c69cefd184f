// SPDX-License-Identifier: GPL-3.0-or-later
// The value types of the PDF services.
#include "pdf/PdfDocument.h"

#include "pdf/PageSpace.h"
#include "pdf/TextLayout.h"

#include <algorithm>
#include <map>

namespace tolvo::pdf {

QSizeF PageGeometry::displaySize() const
{
    const QSizeF size = cropBox.size();
    return (rotation == 90 || rotation == 270) ? size.transposed() : size;
}

QVector<int> TextSelection::pages() const
{
    QVector<int> result;
    for (const SelectionLine& line : lines)
        if (result.isEmpty() || result.last() != line.pageIndex)
            result.append(line.pageIndex);
    return result;
}

QRectF TextSelection::boundsForPage(int pageIndex) const
{
    QRectF united;
    for (const SelectionLine& line : lines)
        if (line.pageIndex == pageIndex)
            united |= line.bounds;
    return united;
}

namespace {

// Lines keyed by page and line; each line's words keyed by their index on the page.
using WordMap = std::map<std::pair<int, int>, std::map<int, TextWord>>;

struct Parts {
    WordMap words;
    std::vector<SelectionLine> opaque; ///< lines made without words: kept as they are
};

void collect(Parts& parts, const TextSelection& selection)
{
    for (const SelectionLine& line : selection.lines) {
        if (line.words.empty())
            parts.opaque.push_back(line);
        for (const TextWord& word : line.words)
            parts.words[{ line.pageIndex, line.lineIndex }].emplace(word.index, word);
    }
}

TextSelection build(Parts parts)
{
    TextSelection result;
    for (const auto& [key, words] : parts.words) {
        SelectionLine line;
        line.pageIndex = key.first;
        line.lineIndex = key.second;
        for (const auto& entry : words) {
            line.words.push_back(entry.second);
            line.bounds |= entry.second.bounds;
        }
        line.text = joinLineText(line.words);
        result.lines.push_back(std::move(line));
    }
    result.lines.insert(result.lines.end(), parts.opaque.begin(), parts.opaque.end());
    std::stable_sort(result.lines.begin(), result.lines.end(), [](const SelectionLine& a, const SelectionLine& b) {
        return std::pair(a.pageIndex, a.lineIndex) < std::pair(b.pageIndex, b.lineIndex);
    });
    QStringList texts;
    for (const SelectionLine& line : result.lines)
        texts << line.text;
    result.text = texts.join(QLatin1Char('\n'));
    return result;
}

} // namespace

void TextSelection::add(const TextSelection& other)
{
    Parts parts;
    collect(parts, *this);
    collect(parts, other);
    *this = build(std::move(parts));
}

TextSelection TextSelection::fromWords(int pageIndex, std::vector<TextWord> words)
{
    Parts parts;
    for (TextWord& word : words)
        parts.words[{ pageIndex, word.line }].emplace(word.index, std::move(word));
    return build(std::move(parts));
}

std::optional<FindText> Document::findText(int pageIndex) const
{
    if (pageIndex < 0 || pageIndex >= pageCount())
        return std::nullopt;
    const PageGeometry geometry = pageGeometry(pageIndex);
    FindText text;
    text.cropBox = geometry.cropBox;
    text.rotation = geometry.rotation;
    const PageTransform transform(text.cropBox, text.rotation);
    for (const TextWord& word : words(pageIndex)) {
        FindWord found;
        found.box = transform.toDisplay(word.bounds);
        found.spaceAfter = word.spaceAfter;
        found.lineEndsAfter = word.lineEndsAfter;
        const qsizetype n = word.text.size();
        std::vector<float> edges(size_t(n + 1));
        for (qsizetype i = 0; i <= n; ++i)
            edges[size_t(i)] = float(found.box.left() + (n ? found.box.width() * double(i) / double(n) : 0.0));
        text.append(found, word.text, edges.data(), int(edges.size()));
    }
    return text;
}

} // namespace tolvo::pdf
