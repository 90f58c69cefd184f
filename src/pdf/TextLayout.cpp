// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf/TextLayout.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tolvo::pdf {

namespace {

bool overlapsVertically(const QRectF& a, const QRectF& b)
{
    return a.top() < b.bottom() && b.top() < a.bottom();
}

double distanceOutside(double v, double lo, double hi)
{
    return v < lo ? lo - v : (v > hi ? v - hi : 0.0);
}

double area(const QRectF& r)
{
    return r.isValid() ? r.width() * r.height() : 0.0;
}

} // namespace

std::vector<TextLine> splitLines(std::vector<TextWord>& words)
{
    std::vector<TextLine> lines;
    for (int i = 0; i < int(words.size()); ++i) {
        if (lines.empty() || words[i - 1].lineEndsAfter || !overlapsVertically(words[i - 1].bounds, words[i].bounds)) {
            if (!lines.empty())
                words[i - 1].lineEndsAfter = true;
            lines.push_back({ i, i, words[i].bounds });
        } else {
            lines.back().last = i;
            lines.back().box |= words[i].bounds;
        }
        words[i].line = int(lines.size()) - 1;
    }
    if (!words.empty())
        words.back().lineEndsAfter = true;
    return lines;
}

int wordNearest(const std::vector<TextWord>& words, const std::vector<TextLine>& lines, const QPointF& point)
{
    if (lines.empty())
        return -1;
    const TextLine* best = nullptr;
    double bestScore = std::numeric_limits<double>::max();
    // A line that holds the point vertically wins over any other; among those the nearest middle.
    for (const TextLine& line : lines) {
        const double outside = distanceOutside(point.y(), line.box.top(), line.box.bottom());
        const double score = outside > 0 ? 1e9 + outside : std::abs(point.y() - line.box.center().y());
        if (score < bestScore) {
            bestScore = score;
            best = &line;
        }
    }
    int bestWord = best->first;
    double bestDistance = std::numeric_limits<double>::max();
    for (int i = best->first; i <= best->last; ++i) {
        const QRectF& box = words[i].bounds;
        const double d = distanceOutside(point.x(), box.left(), box.right());
        if (d < bestDistance) {
            bestDistance = d;
            bestWord = i;
        }
    }
    return bestWord;
}

std::vector<int> wordsInRect(const std::vector<TextWord>& words, const QRectF& rect)
{
    std::vector<int> hits;
    const QRectF r = rect.normalized();
    for (int i = 0; i < int(words.size()); ++i) {
        const QRectF& box = words[i].bounds;
        const double common = area(box & r);
        if (common <= 0)
            continue;
        if (common >= 0.5 * area(box) || common >= 0.5 * area(r))
            hits.push_back(i);
    }
    return hits;
}

QString joinLineText(const std::vector<TextWord>& lineWords)
{
    QString text;
    for (size_t i = 0; i < lineWords.size(); ++i) {
        text += lineWords[i].text;
        if (i + 1 < lineWords.size() && (lineWords[i].spaceAfter || lineWords[i + 1].index != lineWords[i].index + 1))
            text += QLatin1Char(' ');
    }
    return text;
}

} // namespace tolvo::pdf
