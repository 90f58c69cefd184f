// The text operations on titles, paths and prefixes over any UTF-16 text, unpaired surrogates and
// control characters included, with the promises their declarations make.
#include "FuzzInput.h"
#include "links/PathStrings.h"

#include <cstdlib>

using namespace tolvo;

namespace {

void check(bool promise)
{
    if (!promise)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::FuzzInput in(data, size);
    const QString text = in.utf16(2000);
    const QString other = in.utf16(200);
    const QString separator = in.utf16(4);

    if (const std::optional<QString> prefix = prefixCompatibleString(text)) {
        check(prefix->endsWith(u'/') && prefix->size() > 1);
        check(!prefix->contains(QLatin1String("//")));
    }
    const QString dotted = longestDotSeparatedCombo(text);
    check(!dotted.startsWith(u'.') && !dotted.endsWith(u'.') && !dotted.contains(QLatin1String("..")));
    check(!hasSubstring(text, QString()));
    hasDotEquivalent(text, other);
    isConsonantPlusVowelCombo(other);
    const QStringList variants = miniComponentsSeparatedByString(text, separator);
    check(!variants.isEmpty() && variants.first() == text);
    if (const std::optional<QString> word = extractWord(text))
        check(!word->isEmpty() && !word->contains(u'-') && !word->contains(u'.'));
    const QString trimmed = trimSpacesString(text);
    check(!trimmed.startsWith(u' ') && !trimmed.endsWith(u' ') && !trimmed.contains(QLatin1String("  "))
        && !trimmed.contains(u'\t'));
    check(trimSpacesString(trimmed) == trimmed);
    return 0;
}
