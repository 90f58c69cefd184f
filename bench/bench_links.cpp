// SPDX-License-Identifier: GPL-3.0-or-later
// Title operations over a 10,000-entry outline (the matcher's hot loop) and target reading.
#include "links/LinkGrammar.h"
#include "links/PathStrings.h"

#include <benchmark/benchmark.h>

#include <QStringList>

namespace {

QStringList outlineTitles(int count)
{
    static const char* const heads[] = { "Chapter", "Section", "Appendix", "Part", "Übersicht" };
    static const char* const tails[] = { "Introduction", "Methods and Results", "The Model: Overview",
        "Discussion & Outlook", "Data Sources (2019-2020)" };
    QStringList titles;
    titles.reserve(count);
    for (int i = 0; i < count; ++i)
        titles << QStringLiteral("%1 %2. %3").arg(QLatin1String(heads[i % 5])).arg(i).arg(QLatin1String(tails[i % 5]));
    return titles;
}

const QStringList& titles()
{
    static const QStringList t = outlineTitles(10000);
    return t;
}

// The obvious implementation, for comparison: lower-case and split into lists.
bool naiveDotEquivalent(const QString& title, const QString& pattern)
{
    auto split = [](const QString& text) {
        QStringList words;
        QString word;
        for (QChar c : text.toLower()) {
            if (tolvo::isWordCharacter(c)) {
                word += c;
            } else {
                words << word;
                word.clear();
            }
        }
        words << word;
        return words;
    };
    const QStringList a = split(title), b = split(pattern);
    qsizetype i = 0, j = a.size() - 1, p = 0, q = b.size() - 1;
    for (;;) {
        if (j - i < q - p)
            return false;
        const bool front = !b[p].isEmpty() && a[i].contains(b[p]);
        const bool back = !b[q].isEmpty() && a[j].contains(b[q]);
        ++i, --j;
        if (front)
            ++p;
        if (back)
            --q;
        if (q < p)
            return true;
    }
}

void BM_hasDotEquivalent_outline(benchmark::State& state)
{
    const QString pattern = QStringLiteral("chapt.12.intro");
    for (auto _ : state) {
        int matches = 0;
        for (const QString& title : titles())
            matches += tolvo::hasDotEquivalent(title, pattern);
        benchmark::DoNotOptimize(matches);
    }
    state.SetItemsProcessed(state.iterations() * titles().size());
}
BENCHMARK(BM_hasDotEquivalent_outline)->Unit(benchmark::kMicrosecond);

void BM_naiveDotEquivalent_outline(benchmark::State& state)
{
    const QString pattern = QStringLiteral("chapt.12.intro");
    for (auto _ : state) {
        int matches = 0;
        for (const QString& title : titles())
            matches += naiveDotEquivalent(title, pattern);
        benchmark::DoNotOptimize(matches);
    }
    state.SetItemsProcessed(state.iterations() * titles().size());
}
BENCHMARK(BM_naiveDotEquivalent_outline)->Unit(benchmark::kMicrosecond);

void BM_longestDotSeparatedCombo_outline(benchmark::State& state)
{
    for (auto _ : state) {
        qsizetype total = 0;
        for (const QString& title : titles())
            total += tolvo::longestDotSeparatedCombo(title).size();
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * titles().size());
}
BENCHMARK(BM_longestDotSeparatedCombo_outline)->Unit(benchmark::kMicrosecond);

void BM_hasDotEquivalent_longText(benchmark::State& state)
{
    QString title;
    for (int i = 0; title.size() < 100000; ++i)
        title += titles()[i] + QLatin1Char(' ');
    const QString pattern = tolvo::longestDotSeparatedCombo(title);
    for (auto _ : state)
        benchmark::DoNotOptimize(tolvo::hasDotEquivalent(title, pattern));
}
BENCHMARK(BM_hasDotEquivalent_longText)->Unit(benchmark::kMillisecond);

void BM_miniComponents_path(benchmark::State& state)
{
    const QString path = QStringLiteral("chapter.12.the.model.overview/introduction.to.methods");
    for (auto _ : state)
        benchmark::DoNotOptimize(tolvo::miniComponentsSeparatedByString(path, QStringLiteral("/")));
}
BENCHMARK(BM_miniComponents_path)->Unit(benchmark::kMicrosecond);

void BM_readTarget_location(benchmark::State& state)
{
    const QString target = QStringLiteral("iv/@loc/72x/541y/");
    const tolvo::PageLabelLookup lookup = [](const QString& label) -> std::optional<int> {
        return label == QLatin1String("iv") ? std::optional<int>(3) : std::nullopt;
    };
    const tolvo::OutlineMatcher matcher = [](const QStringList&) -> std::optional<int> { return std::nullopt; };
    for (auto _ : state)
        benchmark::DoNotOptimize(tolvo::readTarget(target, lookup, matcher));
}
BENCHMARK(BM_readTarget_location)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
