// SPDX-License-Identifier: GPL-3.0-or-later
// Rich text runs and their range operations.
#include "links/RichText.h"

#include <cmath>

namespace tolvo {

bool FontSpec::hasSize() const
{
    return std::isfinite(pointSize) && pointSize > 0;
}

RichText::RichText(const QString& text)
    : RichText(text, {})
{
}

RichText::RichText(const QString& text, const TextAttributes& attributes)
{
    append(text, attributes);
}

qsizetype RichText::length() const
{
    qsizetype n = 0;
    for (const TextRun& run : m_runs)
        n += run.text.size();
    return n;
}

QString RichText::toPlainText() const
{
    QString text;
    text.reserve(length());
    for (const TextRun& run : m_runs)
        text += run.text;
    return text;
}

void RichText::append(const QString& text, const TextAttributes& attributes)
{
    if (text.isEmpty())
        return;
    if (!m_runs.isEmpty() && m_runs.last().attributes == attributes)
        m_runs.last().text += text;
    else
        m_runs.append(TextRun { text, attributes });
}

void RichText::append(const RichText& other)
{
    for (const TextRun& run : other.m_runs)
        append(run.text, run.attributes);
}

RichText& RichText::operator+=(const RichText& other)
{
    append(other);
    return *this;
}

RichText& RichText::operator+=(const QString& text)
{
    append(text);
    return *this;
}

RichText operator+(RichText left, const RichText& right)
{
    left.append(right);
    return left;
}

void RichText::setLink(qsizetype start, qsizetype count, const QString& urlText)
{
    changeAttributes(start, count, [&](TextAttributes& a) { a.link = urlText; });
}

void RichText::setColor(qsizetype start, qsizetype count, const RgbColor& color)
{
    changeAttributes(start, count, [&](TextAttributes& a) { a.color = color; });
}

void RichText::setUnderline(qsizetype start, qsizetype count, bool underline)
{
    changeAttributes(start, count, [&](TextAttributes& a) { a.underline = underline; });
}

void RichText::setFont(qsizetype start, qsizetype count, const FontSpec& font)
{
    changeAttributes(start, count, [&](TextAttributes& a) { a.font = font; });
}

void RichText::setFont(const FontSpec& font)
{
    setFont(0, -1, font);
}

qsizetype RichText::snapToCharacter(qsizetype pos) const
{
    qsizetype runStart = 0;
    QChar before; // the unit just before the current run
    for (const TextRun& run : m_runs) {
        const qsizetype runEnd = runStart + run.text.size();
        if (pos < runEnd) {
            if (pos <= 0)
                return pos;
            if (pos > runStart)
                before = run.text[pos - 1 - runStart];
            return before.isHighSurrogate() && run.text[pos - runStart].isLowSurrogate() ? pos + 1 : pos;
        }
        before = run.text.back();
        runStart = runEnd;
    }
    return pos;
}

qsizetype RichText::splitAt(qsizetype pos)
{
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < m_runs.size(); ++i) {
        const qsizetype size = m_runs[i].text.size();
        if (pos == runStart)
            return i;
        if (pos < runStart + size) {
            TextRun tail { m_runs[i].text.mid(pos - runStart), m_runs[i].attributes };
            m_runs[i].text.truncate(pos - runStart);
            m_runs.insert(i + 1, std::move(tail));
            return i + 1;
        }
        runStart += size;
    }
    return m_runs.size();
}

void RichText::normalise()
{
    QList<TextRun> runs;
    runs.reserve(m_runs.size());
    for (TextRun& run : m_runs) {
        if (run.text.isEmpty())
            continue;
        if (!runs.isEmpty() && runs.last().attributes == run.attributes)
            runs.last().text += run.text;
        else
            runs.append(std::move(run));
    }
    m_runs = std::move(runs);
}

} // namespace tolvo
