// SPDX-License-Identifier: GPL-3.0-or-later
// The PDF services on a real manual: opening, labels, outline, annotations, text, drawing and
// the areas of images.
// Reads TOLVO_BENCH_PDF, or Debian's Octave manual (1,158 pages, roman front matter).
#include "pdf/PdfDocument.h"

#include <benchmark/benchmark.h>

#include <QFile>

using namespace tolvo::pdf;

namespace {

QString manual()
{
    const QString chosen = qEnvironmentVariable("TOLVO_BENCH_PDF");
    return chosen.isEmpty() ? QStringLiteral("/usr/share/doc/octave/octave.pdf") : chosen;
}

std::unique_ptr<Document> openManual(benchmark::State& state)
{
    OpenResult result = openDocument(manual());
    if (!result.document)
        state.SkipWithError(qPrintable(result.error));
    return std::move(result.document);
}

void BM_Open(benchmark::State& state)
{
    for (auto _ : state) {
        std::unique_ptr<Document> doc = openManual(state);
        if (!doc)
            return;
        benchmark::DoNotOptimize(doc->pageCount());
    }
}
BENCHMARK(BM_Open)->Unit(benchmark::kMillisecond);

// A fresh document each time, so the labels are read, not taken from the cache.
void BM_OpenAndLabels(benchmark::State& state)
{
    for (auto _ : state) {
        std::unique_ptr<Document> doc = openManual(state);
        if (!doc)
            return;
        benchmark::DoNotOptimize(doc->pageLabels().size());
    }
}
BENCHMARK(BM_OpenAndLabels)->Unit(benchmark::kMillisecond);

void BM_OpenAndOutline(benchmark::State& state)
{
    for (auto _ : state) {
        std::unique_ptr<Document> doc = openManual(state);
        if (!doc)
            return;
        benchmark::DoNotOptimize(doc->outline().size());
    }
}
BENCHMARK(BM_OpenAndOutline)->Unit(benchmark::kMillisecond);

void BM_AnnotationsOfEveryPage(benchmark::State& state)
{
    std::unique_ptr<Document> doc = openManual(state);
    if (!doc)
        return;
    for (auto _ : state) {
        size_t count = 0;
        for (int page = 0; page < doc->pageCount(); ++page)
            count += doc->annotations(page).size();
        benchmark::DoNotOptimize(count);
    }
}
BENCHMARK(BM_AnnotationsOfEveryPage)->Unit(benchmark::kMillisecond);

void BM_WordsOfOnePage(benchmark::State& state)
{
    std::unique_ptr<Document> doc = openManual(state);
    if (!doc)
        return;
    int page = 0;
    for (auto _ : state) {
        // A new page each time: the document keeps the last few pages' words.
        benchmark::DoNotOptimize(doc->words(20 + page).size());
        page = (page + 1) % 200;
    }
}
BENCHMARK(BM_WordsOfOnePage)->Unit(benchmark::kMillisecond);

void BM_SearchOnePage(benchmark::State& state)
{
    std::unique_ptr<Document> doc = openManual(state);
    if (!doc)
        return;
    int page = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(doc->search(20 + page, QStringLiteral("matrix")).size());
        page = (page + 1) % 200;
    }
}
BENCHMARK(BM_SearchOnePage)->Unit(benchmark::kMillisecond);

void BM_RenderPage(benchmark::State& state)
{
    std::unique_ptr<Document> doc = openManual(state);
    if (!doc)
        return;
    const double scale = double(state.range(0)) / 72.0;
    for (auto _ : state)
        benchmark::DoNotOptimize(doc->render(30, scale).sizeInBytes());
}
BENCHMARK(BM_RenderPage)->Arg(72)->Arg(150)->Unit(benchmark::kMillisecond);

// Where a page's images are: night mode reads it once per page when it keeps them. Beside
// BM_RenderPage, the same page drawn.
void BM_ImageAreasOfOnePage(benchmark::State& state)
{
    std::unique_ptr<Document> doc = openManual(state);
    if (!doc)
        return;
    for (auto _ : state)
        benchmark::DoNotOptimize(doc->imageAreas(30).size());
}
BENCHMARK(BM_ImageAreasOfOnePage)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
