// SPDX-License-Identifier: GPL-3.0-or-later
// Lower-casing and word splitting over views.
#include "links/WordViews.h"

#include "links/PathStrings.h"

namespace tolvo::detail {

namespace {

// U+0130 lowers to two units; surrogates need the pair. Everything else in
// the BMP has a one-unit lower case that QChar::toLower gives.
bool lowersUnitByUnit(const QString& text)
{
    for (QChar c : text)
        if (c.isSurrogate() || c.unicode() == 0x0130)
            return false;
    return true;
}

} // namespace

LowerCased::LowerCased(const QString& text)
{
    if (lowersUnitByUnit(text)) {
        m_buffer.resize(text.size());
        char16_t* out = m_buffer.data();
        for (QChar c : text) {
            const char16_t u = c.unicode();
            if (u < 0x80)
                *out++ = (u >= 'A' && u <= 'Z') ? char16_t(u + ('a' - 'A')) : u;
            else
                *out++ = QChar::toLower(u);
        }
        m_view = QStringView(m_buffer.constData(), m_buffer.size());
    } else {
        m_owned = text.toLower();
        m_view = m_owned;
    }
}

void splitWords(QStringView text, WordViews& words)
{
    words.clear();
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isWordCharacter(text[i])) {
            words.append(text.sliced(start, i - start));
            start = i + 1;
        }
    }
    words.append(text.sliced(start));
}

} // namespace tolvo::detail
