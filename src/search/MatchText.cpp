// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/MatchText.h"

#include <QRegularExpression>

#include <algorithm>

namespace tolvo {

namespace {

// Whether a word lies under the match: it overlaps the rectangle across, and over at least half
// of the lower of the two heights, so that a neighbouring line that merely touches is not taken.
bool under(const QRectF& word, const QRectF& rect)
{
    const QRectF a = word.normalized();
    const QRectF b = rect.normalized();
    const double across = std::min(a.right(), b.right()) - std::max(a.left(), b.left());
    const double down = std::min(a.bottom(), b.bottom()) - std::max(a.top(), b.top());
    return across > 0 && down >= 0.5 * std::min(a.height(), b.height());
}

} // namespace

QString matchedText(const std::vector<pdf::TextWord>& words, const QRectF& rect, const QString& query)
{
    QString line;
    bool blankOwed = false;
    for (const pdf::TextWord& word : words) {
        if (!under(word.bounds, rect))
            continue;
        if (blankOwed)
            line += u' ';
        line += word.text;
        blankOwed = word.spaceAfter || word.lineEndsAfter;
    }
    if (line.isEmpty())
        return query;

    QStringList pieces;
    for (const QString& piece : query.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts))
        pieces << QRegularExpression::escape(piece);
    if (pieces.isEmpty())
        return line;
    const QRegularExpression pattern(pieces.join(QStringLiteral("\\s*")),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    const QRegularExpressionMatch found = pattern.match(line);
    return found.hasMatch() ? found.captured() : line;
}

} // namespace tolvo
