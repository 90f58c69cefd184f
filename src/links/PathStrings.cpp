// SPDX-License-Identifier: GPL-3.0-or-later
// Text operations on TOC titles, link paths and prefixes.
#include "links/PathStrings.h"

#include "links/WordViews.h"

#include <QSet>

#include <algorithm>

namespace tolvo {

namespace {

// Variants exist to bring link words near five characters. A single part
// longer than this is no title word, and cutting it at every length would
// build an output of (length / 2) copies of the whole text; it keeps only
// itself.
constexpr qsizetype kLongestShortenedPart = 256;

bool isVowel(QChar c)
{
    switch (c.unicode()) {
    case 'a':
    case 'e':
    case 'i':
    case 'o':
    case 'u':
        return true;
    default:
        return false;
    }
}

bool endsInConsonantVowel(QStringView text)
{
    const qsizetype n = text.size();
    return n >= 2 && isVowel(text[n - 1]) && !isVowel(text[n - 2]);
}

bool containsWord(QStringView haystack, QStringView needle)
{
    return !needle.isEmpty() && haystack.contains(needle);
}

bool isBlank(QChar c)
{
    return c == u'\t' || c.category() == QChar::Separator_Space;
}

bool isPrefixCharacter(QChar c)
{
    return c == u'.' || c == u'-' || isWordCharacter(c);
}

bool isDotOrDash(QChar c)
{
    return c == u'.' || c == u'-';
}

// The variants of one part: the part itself first.
QStringList partVariants(const QString& part, const QString& separator)
{
    QStringList variants { part };
    if (separator == u"/" && part.contains(u'.')) {
        variants += miniComponentsSeparatedByString(part, QStringLiteral("."));
    } else if (part.size() >= 4 && part.size() <= kLongestShortenedPart) {
        const QStringView view(part);
        for (qsizetype r = part.size(); r >= 4; --r)
            if (endsInConsonantVowel(view.first(r)))
                variants += part.first(r - 1);
    }
    return variants;
}

// One "/"-part of a prefix: its tokens glued with single separators.
void appendPrefixPart(QStringView part, QString& out)
{
    QString text;
    bool afterSeparator = true;
    qsizetype i = 0;
    const qsizetype n = part.size();
    while (i < n) {
        while (i < n && !isPrefixCharacter(part[i]))
            ++i;
        const qsizetype start = i;
        while (i < n && isPrefixCharacter(part[i]))
            ++i;
        if (start == i)
            break;
        const QStringView token = part.sliced(start, i - start);
        const bool separatorLed = isDotOrDash(token.front());
        if (afterSeparator && separatorLed) {
            const qsizetype before = text.size();
            for (QChar c : token)
                if (!isDotOrDash(c))
                    text += c;
            if (text.size() != before)
                afterSeparator = false;
        } else if (afterSeparator) {
            text += token;
            afterSeparator = false;
        } else if (separatorLed) {
            text += token.front();
            afterSeparator = true;
        } else {
            text += u'.';
            text += token;
        }
    }
    if (!text.isEmpty() && isDotOrDash(text.back()))
        text.chop(1);
    out += text;
}

} // namespace

bool isWordCharacter(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80)
        return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9');
    return c.isLetter() || c.isMark() || c.category() == QChar::Number_DecimalDigit;
}

QString longestDotSeparatedCombo(const QString& text)
{
    const detail::LowerCased lower(text);
    QString result;
    result.reserve(lower.view().size());
    bool pendingDot = false;
    for (QChar c : lower.view()) {
        if (isWordCharacter(c)) {
            if (pendingDot)
                result += u'.';
            pendingDot = false;
            result += c;
        } else {
            pendingDot = !result.isEmpty();
        }
    }
    return result;
}

bool hasSubstring(const QString& haystack, const QString& needle)
{
    return containsWord(haystack, needle);
}

bool hasDotEquivalent(const QString& title, const QString& pattern)
{
    const detail::LowerCased lowPattern(pattern);
    detail::WordViews b;
    detail::splitWords(lowPattern.view(), b);
    // Every pattern word has to be found before the cursors cross, and an empty
    // word is never found: such a pattern fails without looking at the title.
    if (std::any_of(b.cbegin(), b.cend(), [](QStringView w) { return w.isEmpty(); }))
        return false;

    const detail::LowerCased lowTitle(title);
    detail::WordViews a;
    detail::splitWords(lowTitle.view(), a);

    qsizetype i = 0;
    qsizetype j = a.size() - 1;
    qsizetype p = 0;
    qsizetype q = b.size() - 1;
    if (q < p)
        return true;
    for (;;) {
        if (j - i < q - p)
            return false;
        const bool front = containsWord(a[i], b[p]);
        const bool back = containsWord(a[j], b[q]);
        ++i;
        --j;
        if (front)
            ++p;
        if (back)
            --q;
        if (q < p)
            return true;
    }
}

bool isConsonantPlusVowelCombo(const QString& text)
{
    return endsInConsonantVowel(text);
}

QStringList miniComponentsSeparatedByString(const QString& text, const QString& separator)
{
    // An empty separator cuts nothing. Parts are joined with the separator,
    // which is the concatenation without its trailing separator.
    const QStringList parts = separator.isEmpty() ? QStringList { text } : text.split(separator, Qt::KeepEmptyParts);
    QList<QStringList> variants;
    variants.reserve(parts.size());
    qsizetype longest = 0;
    for (const QString& part : parts) {
        variants.append(partVariants(part, separator));
        longest = std::max(longest, variants.back().size());
    }

    QStringList output;
    QSet<QString> seen;
    for (qsizetype k = 0; k < longest; ++k) {
        QString joined;
        for (qsizetype n = 0; n < variants.size(); ++n) {
            if (n > 0)
                joined += separator;
            const QStringList& list = variants[n];
            joined += k < list.size() ? list[k] : list.back();
        }
        if (!seen.contains(joined)) {
            seen.insert(joined);
            output.append(joined);
        }
    }
    return output;
}

std::optional<QString> extractWord(const QString& text)
{
    QString word;
    word.reserve(text.size());
    for (QChar c : text)
        if (!isDotOrDash(c))
            word += c;
    if (word.isEmpty())
        return std::nullopt;
    return word;
}

QString trimSpacesString(const QString& text)
{
    QString result;
    result.reserve(text.size());
    bool pendingSpace = false;
    for (QChar c : text) {
        if (isBlank(c)) {
            pendingSpace = !result.isEmpty();
        } else {
            if (pendingSpace)
                result += u' ';
            pendingSpace = false;
            result += c;
        }
    }
    return result;
}

std::optional<QString> prefixCompatibleString(const QString& text)
{
    QString result;
    bool first = true;
    bool named = false;
    for (QStringView part : QStringView(text).split(u'/', Qt::SkipEmptyParts)) {
        if (!first)
            result += u'/';
        first = false;
        const qsizetype before = result.size();
        appendPrefixPart(part, result);
        named = named || result.size() > before;
    }
    // Parts of punctuation alone keep their empty places beside a named part ("a/!!" gives "a//"),
    // but with no named part at all ("!!/!!") the text names nothing.
    if (!named)
        return std::nullopt;
    result += u'/';
    return result;
}

} // namespace tolvo
