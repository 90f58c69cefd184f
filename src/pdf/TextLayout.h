// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Lines, hit tests and text assembly over one page's words. Everything here works
// in display space (top-left origin, y down), where "above" and "left of" mean what
// a reader sees, whatever the page's rotation.

#include "pdf/PdfDocument.h"

#include <vector>

namespace tolvo::pdf {

/// One line of a page: the words first..last (inclusive) and their united box.
struct TextLine {
    int first = 0;
    int last = 0;
    QRectF box;
};

/// Splits words (in reading order) into lines: a line ends after a word marked lineEndsAfter,
/// or where the next word does not overlap the current one vertically. Sets each word's line.
std::vector<TextLine> splitLines(std::vector<TextWord>& words);

/// The word that a point lands on or next to: within the line that holds the point (the one
/// whose middle is nearest when several do) or else the vertically nearest line, the word
/// under the point or the horizontally nearest. -1 when there are no words.
int wordNearest(const std::vector<TextWord>& words, const std::vector<TextLine>& lines, const QPointF& point);

/// The words a rectangle covers: at least half of the word inside the rectangle, or at least
/// half of the rectangle inside the word (a rectangle smaller than a word).
std::vector<int> wordsInRect(const std::vector<TextWord>& words, const QRectF& rect);

/// The text of words of one line, in order: a space after a word that has one or where words in between are left out.
QString joinLineText(const std::vector<TextWord>& lineWords);

} // namespace tolvo::pdf
