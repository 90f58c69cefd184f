// The link grammar: any URL cut at any candidate prefixes, and any target read against page labels
// and an outline. A reading names a page that exists, a location is finite, and links Tolvo writes
// read back to where they were made.
#include "FuzzInput.h"
#include "links/LinkGrammar.h"

#include <cmath>
#include <cstdlib>

using namespace tolvo;

namespace {

const QStringList labelPieces { "i", "ii", "12", "A-1", "@loc", "/", " ", "", "é", "%", ".", "-", "1e39", "nan" };

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::FuzzInput in(data, size);
    QStringList labels;
    for (int n = in.below(6); n > 0; --n)
        labels << in.pick(labelPieces) + in.pick(labelPieces);
    QStringList candidates;
    for (int n = in.below(4); n > 0; --n)
        candidates << in.utf16(6);
    const double x = double(qint16(in.byte() << 8 | in.byte())) / 4, y = double(in.byte()) * 3.25;
    const QString url = in.utf16(4000);

    if (const std::optional<LinkParts> parts = splitLinkURL(url, candidates)) {
        TOLVO_FUZZ_CHECK(!parts->prefix.isEmpty() && candidates.value(parts->candidateIndex) == parts->prefix);
        TOLVO_FUZZ_CHECK(url == QStringLiteral("tolvo://") + parts->prefix + parts->target);
    }

    const PageLabelLookup lookup = [&labels](const QString& label) -> std::optional<int> {
        const qsizetype i = labels.indexOf(label);
        return i < 0 ? std::nullopt : std::optional<int>(int(i));
    };
    int outlineCalls = 0;
    const OutlineMatcher outline = [&outlineCalls](const QStringList& components) -> std::optional<int> {
        ++outlineCalls;
        for (const QString& c : components)
            if (c.isEmpty())
                std::abort(); // the matcher is promised non-empty components
        return components.size() == 2 ? std::optional<int>(7) : std::nullopt;
    };
    for (const QString& target : { url, in.utf16(300) }) {
        const TargetReading reading = readTarget(target, lookup, outline);
        if (reading.kind == TargetReading::Kind::Page || reading.kind == TargetReading::Kind::Location)
            TOLVO_FUZZ_CHECK(reading.pageIndex >= 0 && reading.pageIndex < labels.size());
        if (reading.kind == TargetReading::Kind::Location)
            TOLVO_FUZZ_CHECK(std::isfinite(reading.origin.x()) && std::isfinite(reading.origin.y()));
        if (const std::optional<LocationTarget> location = parseLocationTarget(target))
            TOLVO_FUZZ_CHECK(std::isfinite(location->point.x()) && std::isfinite(location->point.y()));
        cleanPageLabel(target);
    }

    // What Tolvo writes, it reads back.
    for (int page = 0; page < labels.size(); ++page) {
        if (labels[page].isEmpty() || lookup(labels[page]) != page || labels[page].contains(u'/')
            || labels[page].contains(QLatin1String("@loc")))
            continue;
        const TargetReading reading = readLocationOrPageLabel(locationTarget(labels[page], QPointF(x, y)), lookup);
        TOLVO_FUZZ_CHECK(reading.kind == TargetReading::Kind::Location && reading.pageIndex == page);
    }
    return 0;
}
