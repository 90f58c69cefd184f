// The RTF reader over any bytes (pasted RTF comes from anywhere): no crash, no endless work, and no
// unpaired surrogate in the text or links it gives.
#include "links/RtfReader.h"

#include <cstdlib>

using namespace tolvo;

namespace {

bool wellFormed(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::optional<RichText> read = fromRtf(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!read)
        return 0;
    for (const TextRun& run : read->runs())
        if (!wellFormed(run.text) || (run.attributes.link && !wellFormed(*run.attributes.link)))
            std::abort();
    return 0;
}
