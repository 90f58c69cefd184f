// The text operations on titles, paths and prefixes over any UTF-16 text, unpaired surrogates and
// control characters included, with the promises their declarations make.
#include "FuzzInput.h"
#include "links/PathStrings.h"

using namespace tolvo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::FuzzInput in(data, size);
    const QString text = in.utf16(2000);
    const QString other = in.utf16(200);
    const QString separator = in.utf16(4);

    // A part of punctuation alone keeps its (empty) place, so "a/!!" gives "a//": a doubled "/" is
    // allowed, but every step that is not empty starts with a word character.
    if (const std::optional<QString> prefix = prefixCompatibleString(text)) {
        TOLVO_FUZZ_CHECK(prefix->endsWith(u'/'));
        bool hasWord = false;
        for (const QString& step : prefix->split(u'/', Qt::SkipEmptyParts)) {
            TOLVO_FUZZ_CHECK(isWordCharacter(step.front()));
            hasWord = true;
            for (const QChar c : step)
                TOLVO_FUZZ_CHECK(c == u'.' || c == u'-' || isWordCharacter(c));
        }
        TOLVO_FUZZ_CHECK(hasWord);
    }
    const QString dotted = longestDotSeparatedCombo(text);
    TOLVO_FUZZ_CHECK(!dotted.startsWith(u'.') && !dotted.endsWith(u'.') && !dotted.contains(QLatin1String("..")));
    TOLVO_FUZZ_CHECK(!hasSubstring(text, QString()));
    hasDotEquivalent(text, other);
    isConsonantPlusVowelCombo(other);
    const QStringList variants = miniComponentsSeparatedByString(text, separator);
    TOLVO_FUZZ_CHECK(!variants.isEmpty() && variants.first() == text);
    if (const std::optional<QString> word = extractWord(text))
        TOLVO_FUZZ_CHECK(!word->isEmpty() && !word->contains(u'-') && !word->contains(u'.'));
    const QString trimmed = trimSpacesString(text);
    TOLVO_FUZZ_CHECK(!trimmed.startsWith(u' ') && !trimmed.endsWith(u' ') && !trimmed.contains(QLatin1String("  "))
        && !trimmed.contains(u'\t'));
    TOLVO_FUZZ_CHECK(trimSpacesString(trimmed) == trimmed);
    return 0;
}
