// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/PageMatch.h"

#include "pdf/PageSpace.h"

#include <algorithm>

namespace tolvo {

namespace {

bool isHyphen(QChar c)
{
    return c == u'-' || c == QChar(0x00ad) || c == QChar(0x2010);
}

// The folding of one character that is not ASCII (a surrogate pair counts as one).
QString foldOne(const QChar* unit, int length)
{
    return QString(unit, length).normalized(QString::NormalizationForm_KC).toLower();
}

// Appends the folding of one character (a surrogate pair counts as one).
void appendFolded(QString& out, const QChar* unit, int length)
{
    if (length == 1 && unit->unicode() < 0x80) {
        const char16_t c = unit->unicode();
        out += QChar(c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c);
        return;
    }
    out += foldOne(unit, length);
}

// The page as one folded string; each unit knows the word and the unit of the word it comes from.
struct Spelled {
    QString text;
    struct Origin {
        int word = 0;
        int unit = 0; ///< -1: the blank after the word
        bool softHyphen = false; ///< a hyphen at a line end, which a query may pass over
    };
    std::vector<Origin> origins;
};

// Spells page into spelled, whose room is used again.
void spell(const pdf::FindText& page, Spelled& spelled)
{
    const auto& words = page.words;
    // Written through pointers into room made beforehand: a page is thousands of units, and
    // appending them one by one cost more than the find itself. Folding may give more units than
    // it takes (ligatures); the room grows then.
    qsizetype room = page.text.size() + qsizetype(words.size());
    spelled.text.resize(room);
    spelled.origins.resize(size_t(room));
    char16_t* out = reinterpret_cast<char16_t*>(spelled.text.data());
    Spelled::Origin* origin = spelled.origins.data();
    qsizetype at = 0;
    const auto put = [&](char16_t c, Spelled::Origin from) {
        if (at == room) {
            room = room * 2 + 16;
            spelled.text.resize(room);
            spelled.origins.resize(size_t(room));
            out = reinterpret_cast<char16_t*>(spelled.text.data());
            origin = spelled.origins.data();
        }
        out[at] = c;
        origin[at] = from;
        ++at;
    };
    for (int w = 0; w < int(words.size()); ++w) {
        const QStringView text = page.textOf(words[size_t(w)]);
        const bool last = w + 1 == int(words.size());
        const bool lineEnd = words[size_t(w)].lineEndsAfter && !last;
        const bool hyphenated = lineEnd && text.size() > 1 && isHyphen(text.back());
        const char16_t* units = text.utf16();
        const int size = int(text.size());
        for (int u = 0; u < size;) {
            const bool soft = hyphenated && u == size - 1;
            if (units[u] < 0x80) {
                const char16_t c = units[u];
                put(c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c, { w, u, soft });
                ++u;
                continue;
            }
            const int length = (QChar::isHighSurrogate(units[u]) && u + 1 < size) ? 2 : 1;
            const QString folded = foldOne(text.constData() + u, length);
            for (const QChar c : folded)
                put(c.unicode(), { w, u, soft });
            u += length;
        }
        if (!last && !hyphenated && (lineEnd || words[size_t(w)].spaceAfter))
            put(u' ', { w, -1, false });
    }
    spelled.text.resize(at);
    spelled.origins.resize(size_t(at));
}

// The end (one past) of a match of query starting at start, or -1. A soft hyphen is passed over
// unless the query has a hyphen there.
int matchAt(const Spelled& page, int start, const QString& query)
{
    int p = start;
    for (int q = 0; q < int(query.size());) {
        if (p >= int(page.text.size()))
            return -1;
        if (page.text[p] == query[q]) {
            ++p;
            ++q;
        } else if (page.origins[size_t(p)].softHyphen && p != start) {
            ++p;
        } else {
            return -1;
        }
    }
    return p;
}

struct Span {
    double from = 0;
    double to = 0;
};

Span unitSpan(const pdf::FindText& page, const pdf::FindWord& word, int unit)
{
    if (word.edgeCount <= 0)
        return { word.box.left(), word.box.right() };
    const float* e = page.edgesOf(word);
    const int i = std::min(unit, word.edgeCount - 1);
    const int j = std::min(unit + 1, word.edgeCount - 1);
    return { std::min(e[i], e[j]), std::max(e[i], e[j]) };
}

bool sideways(const pdf::FindWord& word)
{
    return (word.turns & 1) != 0;
}

// The extent of a word across its line: y for upright words, x for sideways ones.
Span across(const pdf::FindWord& word)
{
    return sideways(word) ? Span { word.box.left(), word.box.right() } : Span { word.box.top(), word.box.bottom() };
}

PageMatch makeMatch(const pdf::FindText& page, const Spelled& spelled, int from, int to, const std::vector<int>& lineOf,
    const std::vector<Span>& lineAcross)
{
    PageMatch match;
    const pdf::PageTransform transform(page.cropBox, page.rotation);
    int line = -1;
    bool sidewaysLine = false;
    Span along { 0, 0 };
    bool haveSpan = false;
    const auto flush = [&] {
        if (!haveSpan)
            return;
        const Span cross = lineAcross[size_t(line)];
        const QRectF layout = sidewaysLine ? QRectF(QPointF(cross.from, along.from), QPointF(cross.to, along.to))
                                           : QRectF(QPointF(along.from, cross.from), QPointF(along.to, cross.to));
        match.pieces.append(transform.toPage(layout));
        haveSpan = false;
    };
    int lastWord = -1, lastUnit = -2;
    for (int p = from; p < to; ++p) {
        const Spelled::Origin& origin = spelled.origins[size_t(p)];
        const pdf::FindWord& word = page.words[size_t(origin.word)];
        if (match.firstWord < 0)
            match.firstWord = origin.word;
        match.lastWord = origin.word;
        const bool repeat = origin.word == lastWord && origin.unit == lastUnit;
        lastWord = origin.word;
        lastUnit = origin.unit;
        if (repeat)
            continue;
        if (origin.unit < 0) {
            const bool lineBreak = word.lineEndsAfter;
            match.text += u' ';
            if (lineBreak || origin.word + 1 >= int(page.words.size()))
                continue;
            // The blank between two words of a line runs from the one to the other.
            const pdf::FindWord& next = page.words[size_t(origin.word) + 1];
            const Span a = unitSpan(page, word, word.textLength - 1);
            const Span b = unitSpan(page, next, 0);
            if (haveSpan) {
                along.from = std::min({ along.from, a.to, b.from });
                along.to = std::max({ along.to, a.to, b.from });
            }
            continue;
        }
        const QStringView units = page.textOf(word);
        if (origin.softHyphen && p + 1 < to)
            ; // the hyphen is not part of what the page says, but it is covered
        else
            match.text += units[origin.unit];
        if (origin.unit + 1 < int(units.size()) && units[origin.unit].isHighSurrogate())
            match.text += units[origin.unit + 1];
        const int wordLine = lineOf[size_t(origin.word)];
        if (wordLine != line) {
            flush();
            line = wordLine;
            sidewaysLine = sideways(word);
        }
        const Span s = unitSpan(page, word, origin.unit);
        if (!haveSpan) {
            along = s;
            haveSpan = true;
        } else {
            along.from = std::min(along.from, s.from);
            along.to = std::max(along.to, s.to);
        }
    }
    flush();
    return match;
}

} // namespace

QString foldForFind(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (int u = 0; u < int(text.size());) {
        const int length = (text[u].isHighSurrogate() && u + 1 < int(text.size())) ? 2 : 1;
        appendFolded(out, text.constData() + u, length);
        u += length;
    }
    return out;
}

QString textAround(const pdf::FindText& page, const PageMatch& match, int radius)
{
    const auto& words = page.words;
    if (match.firstWord < 0 || match.lastWord >= int(words.size()))
        return match.text;
    const auto blankAfter = [&words](int w) { return words[size_t(w)].spaceAfter || words[size_t(w)].lineEndsAfter; };
    int from = match.firstWord;
    int length = 0;
    while (from > 0 && length < radius)
        length += words[size_t(--from)].textLength + 1;
    int to = match.lastWord;
    length = 0;
    while (to + 1 < int(words.size()) && length < radius)
        length += words[size_t(++to)].textLength + 1;
    QString text;
    for (int w = from; w <= to; ++w) {
        text += page.textOf(words[size_t(w)]);
        if (w < to && blankAfter(w))
            text += u' ';
    }
    return text.simplified();
}

QString findableText(const pdf::FindText& page)
{
    Spelled spelled;
    spell(page, spelled);
    QString text(spelled.text.size(), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    const QChar* in = spelled.text.constData();
    qsizetype at = 0;
    for (qsizetype i = 0; i < spelled.text.size(); ++i)
        if (!spelled.origins[size_t(i)].softHyphen)
            out[at++] = in[i].unicode();
    text.truncate(at);
    return text;
}

std::vector<PageMatch> findMatches(const pdf::FindText& page, const QString& query)
{
    std::vector<PageMatch> matches;
    const QString folded = foldForFind(query);
    if (folded.isEmpty() || page.words.empty())
        return matches;
    // A search runs through hundreds of pages on one thread: their spellings share one room.
    thread_local Spelled spelled;
    spell(page, spelled);

    std::vector<int> lineOf(page.words.size());
    std::vector<Span> lineAcross;
    for (size_t w = 0; w < page.words.size(); ++w) {
        const Span a = across(page.words[w]);
        if (w == 0 || page.words[w - 1].lineEndsAfter)
            lineAcross.push_back(a);
        else
            lineAcross.back() = { std::min(lineAcross.back().from, a.from), std::max(lineAcross.back().to, a.to) };
        lineOf[w] = int(lineAcross.size()) - 1;
    }

    const QChar first = folded.front();
    for (int start = 0; start < int(spelled.text.size());) {
        start = int(spelled.text.indexOf(first, start));
        if (start < 0)
            break;
        const int end = matchAt(spelled, start, folded);
        if (end < 0) {
            ++start;
            continue;
        }
        matches.push_back(makeMatch(page, spelled, start, end, lineOf, lineAcross));
        start = end;
    }
    return matches;
}

} // namespace tolvo
