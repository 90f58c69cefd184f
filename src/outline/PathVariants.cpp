// SPDX-License-Identifier: GPL-3.0-or-later
// Shortened variants of a title path.
#include "outline/PathVariants.h"

#include <algorithm>
#include <cstdlib>

namespace tolvo {

namespace {

// Words longer than this keep only themselves, as the variant generator has it.
constexpr qsizetype kLongestShortenedWord = 256;

bool isVowel(QChar c)
{
    return c == u'a' || c == u'e' || c == u'i' || c == u'o' || c == u'u';
}

// The full length, then r - 1 for every r from the length down to 4 whose first
// r units end in a consonant followed by a vowel.
std::vector<int> shortenedLengths(QStringView word)
{
    std::vector<int> lengths { int(word.size()) };
    if (word.size() >= 4 && word.size() <= kLongestShortenedWord)
        for (qsizetype r = word.size(); r >= 4; --r)
            if (isVowel(word[r - 1]) && !isVowel(word[r - 2]))
                lengths.push_back(int(r - 1));
    return lengths;
}

} // namespace

PathVariants::PathVariants(const QString& path)
    : m_path(path)
{
    int longest = 1;
    bool firstStepChanges = false;
    for (QStringView part : QStringView(m_path).split(u'/')) {
        Part& p = m_parts.emplace_back();
        p.dotted = part.contains(u'.');
        if (p.dotted) {
            // The part itself, then its own "."-variants, which start with it again.
            int inner = 1;
            for (QStringView word : part.split(u'.')) {
                p.words.push_back({ word, shortenedLengths(word) });
                inner = std::max(inner, int(p.words.back().lengths.size()));
            }
            longest = std::max(longest, 1 + inner);
        } else {
            p.words.push_back({ part, shortenedLengths(part) });
            const int own = int(p.words.back().lengths.size());
            longest = std::max(longest, own);
            firstStepChanges = firstStepChanges || own > 1;
        }
    }
    // Steps give ever shorter texts, except that step 1 repeats step 0 when
    // only dotted parts have variants; the repeat is left out.
    for (int step = 0; step < longest; ++step)
        if (step != 1 || firstStepChanges)
            m_steps.push_back(step);
}

int PathVariants::lengthOf(const Part& part, const Word& word, int step) const
{
    const int entries = int(word.lengths.size());
    const int at = part.dotted ? std::max(step - 1, 0) : step;
    return word.lengths[std::size_t(std::min(at, entries - 1))];
}

double PathVariants::score(int v) const
{
    const int step = m_steps[std::size_t(v)];
    qint64 sum = 0;
    qint64 pieces = 0;
    for (const Part& part : m_parts)
        for (const Word& word : part.words) {
            sum += std::llabs(qint64(lengthOf(part, word, step)) - 5);
            ++pieces;
        }
    return double(sum) / double(pieces);
}

QString PathVariants::partText(const Part& part, int step) const
{
    QString text;
    for (std::size_t w = 0; w < part.words.size(); ++w) {
        if (w > 0)
            text += u'.';
        text += part.words[w].text.first(lengthOf(part, part.words[w], step));
    }
    return text;
}

QStringList PathVariants::components(int v) const
{
    QStringList list;
    for (const Part& part : m_parts) {
        QString text = partText(part, m_steps[std::size_t(v)]);
        if (!text.isEmpty())
            list.append(std::move(text));
    }
    return list;
}

QString PathVariants::text(int v) const
{
    QStringList parts;
    for (const Part& part : m_parts)
        parts.append(partText(part, m_steps[std::size_t(v)]));
    return parts.join(u'/');
}

} // namespace tolvo
