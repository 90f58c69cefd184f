// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf/core/CoreText.h"

#include <Object.h>
#include <PDFDocEncoding.h>
#include <goo/GooString.h>

namespace tolvo::pdf {

namespace {

QString fromUtf16(const std::string& s, size_t start, bool bigEndian)
{
    QString text;
    text.reserve(int((s.size() - start) / 2));
    bool inLanguageMark = false;
    for (size_t i = start; i + 1 < s.size(); i += 2) {
        const auto hi = static_cast<unsigned char>(s[bigEndian ? i : i + 1]);
        const auto lo = static_cast<unsigned char>(s[bigEndian ? i + 1 : i]);
        const char16_t unit = char16_t((hi << 8) | lo);
        if (unit == 0x1b) {
            inLanguageMark = !inLanguageMark;
            continue;
        }
        if (!inLanguageMark)
            text.append(QChar(unit));
    }
    return text;
}

} // namespace

QString decodeTextString(const GooString& bytes)
{
    const std::string& s = bytes.toStr();
    auto at = [&s](size_t i) { return static_cast<unsigned char>(s[i]); };
    if (s.size() >= 2 && at(0) == 0xfe && at(1) == 0xff)
        return fromUtf16(s, 2, true);
    if (s.size() >= 2 && at(0) == 0xff && at(1) == 0xfe)
        return fromUtf16(s, 2, false);
    if (s.size() >= 3 && at(0) == 0xef && at(1) == 0xbb && at(2) == 0xbf)
        return QString::fromUtf8(s.data() + 3, qsizetype(s.size() - 3));
    QString text;
    text.reserve(qsizetype(s.size()));
    for (size_t i = 0; i < s.size(); ++i) {
        const Unicode u = pdfDocEncoding[at(i)];
        if (u != 0)
            text.append(QChar(char16_t(u)));
    }
    return text;
}

std::optional<QString> textOf(const Object& object)
{
    if (!object.isString())
        return std::nullopt;
    return decodeTextString(*object.getString());
}

} // namespace tolvo::pdf
