// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SoftwareUpdaterVersion.h"

#include "settings/Version.h"

namespace tolvo::updates {

namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isAlnum(QChar c)
{
    return isDigit(c) || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

QString withoutLeadingZeros(const QString& digits)
{
    qsizetype first = 0;
    while (first < digits.size() - 1 && digits[first] == u'0')
        ++first;
    return digits.mid(first);
}

// Digit strings without leading zeros: the longer is the larger.
int compareNumbers(const QString& a, const QString& b)
{
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

bool isNumber(const QString& identifier)
{
    return !identifier.isEmpty() && isDigit(identifier[0]);
}

// The words that release feeds use for pre-releases, in their order; any other
// word sorts after them, alphabetically.
QString wordKey(const QString& word)
{
    static const struct {
        const char* word;
        const char* key;
    } known[] = {
        { "dev", "0" },
        { "alpha", "1" },
        { "a", "1" },
        { "beta", "2" },
        { "b", "2" },
        { "pre", "3" },
        { "preview", "3" },
        { "rc", "4" },
        { "c", "4" },
    };
    for (const auto& entry : known)
        if (word == QLatin1String(entry.word))
            return QString::fromLatin1(entry.key);
    return QStringLiteral("9") + word;
}

int compareIdentifiers(const QString& a, const QString& b)
{
    const bool numberA = isNumber(a);
    const bool numberB = isNumber(b);
    if (numberA && numberB)
        return compareNumbers(a, b);
    if (numberA != numberB)
        return numberA ? -1 : 1;
    return wordKey(a).compare(wordKey(b));
}

// Splits "beta.3", "beta3" and "rc-1" alike into {"beta", "3"}.
QStringList prereleaseIdentifiers(const QString& text)
{
    QStringList identifiers;
    QString current;
    auto flush = [&] {
        if (!current.isEmpty())
            identifiers << (isNumber(current) ? withoutLeadingZeros(current) : current.toLower());
        current.clear();
    };
    for (QChar c : text) {
        if (!isAlnum(c)) {
            flush();
            continue;
        }
        if (!current.isEmpty() && isDigit(c) != isDigit(current.back()))
            flush();
        current += c;
    }
    flush();
    return identifiers;
}

} // namespace

QString tolvoVersion()
{
    return tolvo::tolvoVersion();
}

std::optional<Version> parseVersion(const QString& text)
{
    QString rest = text.trimmed();
    if (rest.size() > 1 && (rest[0] == u'v' || rest[0] == u'V') && isDigit(rest[1]))
        rest.remove(0, 1);
    if (rest.isEmpty() || !isDigit(rest[0]))
        return std::nullopt;

    Version version;
    qsizetype i = 0;
    for (;;) {
        const qsizetype start = i;
        while (i < rest.size() && isDigit(rest[i]))
            ++i;
        version.numbers << withoutLeadingZeros(rest.mid(start, i - start));
        if (i + 1 < rest.size() && rest[i] == u'.' && isDigit(rest[i + 1]))
            ++i;
        else
            break;
    }
    while (version.numbers.size() > 1 && version.numbers.back() == QLatin1String("0"))
        version.numbers.removeLast();

    // Build metadata after "+" does not take part in the order.
    QString suffix = rest.mid(i);
    const qsizetype plus = suffix.indexOf(u'+');
    if (plus >= 0)
        suffix.truncate(plus);
    version.prerelease = prereleaseIdentifiers(suffix);
    return version;
}

int compareVersions(const Version& a, const Version& b)
{
    const qsizetype count = std::max(a.numbers.size(), b.numbers.size());
    const QString zero = QStringLiteral("0");
    for (qsizetype i = 0; i < count; ++i) {
        const int c = compareNumbers(a.numbers.value(i, zero), b.numbers.value(i, zero));
        if (c != 0)
            return c < 0 ? -1 : 1;
    }
    if (a.prerelease.isEmpty() || b.prerelease.isEmpty())
        return a.prerelease.isEmpty() == b.prerelease.isEmpty() ? 0 : (a.prerelease.isEmpty() ? 1 : -1);
    const qsizetype shorter = std::min(a.prerelease.size(), b.prerelease.size());
    for (qsizetype i = 0; i < shorter; ++i) {
        const int c = compareIdentifiers(a.prerelease[i], b.prerelease[i]);
        if (c != 0)
            return c < 0 ? -1 : 1;
    }
    // "beta" comes before "beta.1".
    if (a.prerelease.size() == b.prerelease.size())
        return 0;
    return a.prerelease.size() < b.prerelease.size() ? -1 : 1;
}

std::optional<int> compareVersions(const QString& a, const QString& b)
{
    const std::optional<Version> va = parseVersion(a);
    const std::optional<Version> vb = parseVersion(b);
    if (!va || !vb)
        return std::nullopt;
    return compareVersions(*va, *vb);
}

} // namespace tolvo::updates
