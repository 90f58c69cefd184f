// SPDX-License-Identifier: GPL-3.0-or-later
// Short TOC link paths and title-path matching: the indexed tree against the
// plain reference, on a generated 10,000-entry outline, on a real manual's
// outline, and on outlines no manual has (deep, wide, long or empty titles).
#include "OutlineGenerators.h"
#include "OutlineOracle.h"
#include "outline/Opml.h"
#include "outline/OutlineTree.h"
#include "pdf/OutlineFromPdf.h"
#include "pdf/PdfDocument.h"

#include <benchmark/benchmark.h>

#include <QFileInfo>

#include <functional>
#include <optional>
#include <random>

using namespace tolvo;

namespace {

const char* const kManual = "/usr/share/doc/octave/octave.pdf";

using TreeMaker = std::function<OutlineTree()>;

OutlineTree generated10k()
{
    return testing::manualLikeOutline(10000);
}

OutlineTree manualFromPdf()
{
    pdf::OpenResult opened = pdf::openDocument(QString::fromLatin1(kManual));
    return opened.document ? outlineTreeForPdf(*opened.document) : OutlineTree();
}

bool haveManual()
{
    return QFileInfo::exists(QString::fromLatin1(kManual));
}

// The links of every item of a tree made fresh for each run, so the index is
// built inside the timing, as the first link command after opening a PDF does.
void linksOfEveryItem(benchmark::State& state, const TreeMaker& make)
{
    std::size_t items = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::optional<OutlineTree> tree = make();
        state.ResumeTiming();
        for (const MyOutlineItem* item : tree->items())
            benchmark::DoNotOptimize(tree->makeShortURLForMOI(item));
        items = tree->items().size();
        state.PauseTiming(); // the tree's destruction is no part of link making
        tree.reset();
        state.ResumeTiming();
    }
    state.counters["items"] = double(items);
}

// The same once more on the same tree: everything the index keeps is there.
void linksOfEveryItemAgain(benchmark::State& state, const TreeMaker& make)
{
    const OutlineTree tree = make();
    for (const MyOutlineItem* item : tree.items())
        benchmark::DoNotOptimize(tree.makeShortURLForMOI(item));
    for (auto _ : state)
        for (const MyOutlineItem* item : tree.items())
            benchmark::DoNotOptimize(tree.makeShortURLForMOI(item));
    state.counters["items"] = double(tree.items().size());
}

void linksOfEveryItemByReference(benchmark::State& state, const TreeMaker& make)
{
    const OutlineTree tree = make();
    const oracle::Oracle reference(tree);
    for (auto _ : state)
        for (const MyOutlineItem* item : tree.items())
            benchmark::DoNotOptimize(reference.makeShortURLForMOI(item));
    state.counters["items"] = double(tree.items().size());
}

// Matching one link path, as following a link does: each run takes the next
// item's link path, so runs do not repeat one path.
void matchOnePath(benchmark::State& state, const TreeMaker& make, bool reference)
{
    const OutlineTree tree = make();
    QStringList paths;
    for (const MyOutlineItem* item : tree.items())
        paths << tree.makeShortURLForMOI(item);
    const oracle::Oracle slow(tree);
    qsizetype next = 0;
    for (auto _ : state) {
        const QString& path = paths[next++ % paths.size()];
        if (reference)
            benchmark::DoNotOptimize(slow.moiMatchingURLSuffix(path));
        else
            benchmark::DoNotOptimize(tree.moiMatchingURLSuffix(path));
    }
}

// Matching one path on a tree that has not matched anything yet: the index is built first.
void matchOnePathFirstUse(benchmark::State& state, const TreeMaker& make)
{
    const OutlineTree probe = make();
    const QString path = probe.makeShortURLForMOI(probe.items()[probe.items().size() / 2]);
    for (auto _ : state) {
        state.PauseTiming();
        std::optional<OutlineTree> tree = make();
        state.ResumeTiming();
        benchmark::DoNotOptimize(tree->moiMatchingURLSuffix(path));
        state.PauseTiming();
        tree.reset();
        state.ResumeTiming();
    }
}

void BM_Links10k_Fast(benchmark::State& s)
{
    linksOfEveryItem(s, generated10k);
}
void BM_Links10k_FastAgain(benchmark::State& s)
{
    linksOfEveryItemAgain(s, generated10k);
}
void BM_Links10k_Reference(benchmark::State& s)
{
    linksOfEveryItemByReference(s, generated10k);
}
void BM_MatchPath10k_Fast(benchmark::State& s)
{
    matchOnePath(s, generated10k, false);
}
void BM_MatchPath10k_Reference(benchmark::State& s)
{
    matchOnePath(s, generated10k, true);
}
void BM_MatchPath10k_FirstUse(benchmark::State& s)
{
    matchOnePathFirstUse(s, generated10k);
}

const OutlineTree& manual()
{
    static const OutlineTree tree = manualFromPdf();
    return tree;
}
OutlineTree manualCopy()
{
    return testing::copyOf(manual());
}

#define TOLVO_NEED_MANUAL(state)                                                                                       \
    if (!haveManual() || manual().isEmpty())                                                                           \
        return state.SkipWithError("octave.pdf is not installed");

void BM_LinksManual_Fast(benchmark::State& s)
{
    TOLVO_NEED_MANUAL(s)
    linksOfEveryItem(s, manualCopy);
}
void BM_LinksManual_FastAgain(benchmark::State& s)
{
    TOLVO_NEED_MANUAL(s)
    linksOfEveryItemAgain(s, manualCopy);
}
void BM_LinksManual_Reference(benchmark::State& s)
{
    TOLVO_NEED_MANUAL(s)
    linksOfEveryItemByReference(s, manualCopy);
}
void BM_MatchPathManual_Fast(benchmark::State& s)
{
    TOLVO_NEED_MANUAL(s)
    matchOnePath(s, manualCopy, false);
}
void BM_MatchPathManual_Reference(benchmark::State& s)
{
    TOLVO_NEED_MANUAL(s)
    matchOnePath(s, manualCopy, true);
}
void BM_MatchPathManual_FirstUse(benchmark::State& s)
{
    TOLVO_NEED_MANUAL(s)
    matchOnePathFirstUse(s, manualCopy);
}

// ---- Outlines that no manual has ---------------------------------------------

OutlineTree chain(int levels, const std::function<QString(int)>& title)
{
    std::vector<std::unique_ptr<MyOutlineItem>> top;
    top.push_back(std::make_unique<MyOutlineItem>(title(1), QStringLiteral("1/@loc/0x/1y/")));
    MyOutlineItem* at = top.back().get();
    for (int level = 2; level <= levels; ++level)
        at = at->appendChild(
            std::make_unique<MyOutlineItem>(title(level), QStringLiteral("1/@loc/0x/%1y/").arg(level)));
    return OutlineTree(std::move(top));
}

OutlineTree flat(int count, const std::function<QString(int)>& title)
{
    std::vector<std::unique_ptr<MyOutlineItem>> top;
    for (int i = 0; i < count; ++i)
        top.push_back(std::make_unique<MyOutlineItem>(title(i), QStringLiteral("%1/@loc/0x/0y/").arg(i)));
    return OutlineTree(std::move(top));
}

QString longTitle(int seed, bool oneWord)
{
    std::mt19937 random { unsigned(seed) };
    QString text;
    while (text.size() < 100000) {
        const int length = oneWord ? 100000 : 2 + int(random() % 9);
        for (int i = 0; i < length && text.size() < 100000; ++i)
            text += QChar(char16_t(u'a' + random() % 26));
        if (!oneWord)
            text += QLatin1Char(' ');
    }
    return text.left(100000);
}

// A manual-like outline with a few titles of 100,000 characters among its items.
OutlineTree withLongTitles(bool oneWord)
{
    OutlineTree base = testing::manualLikeOutline(1000, 3);
    std::vector<std::unique_ptr<MyOutlineItem>> top;
    for (std::size_t i = 0; i < base.outlinedata_array().size(); ++i) {
        const MyOutlineItem* item = base.outlinedata_array()[i];
        top.push_back(std::make_unique<MyOutlineItem>(
            i % 10 == 3 ? longTitle(int(i), oneWord) : item->pageTitle(), item->pageLabel()));
        for (const MyOutlineItem* child : item->children())
            top.back()->appendChild(std::make_unique<MyOutlineItem>(child->pageTitle(), child->pageLabel()));
    }
    return OutlineTree(std::move(top));
}

void BM_Bad_Links100k(benchmark::State& s)
{
    linksOfEveryItem(s, [] { return testing::manualLikeOutline(100000, 5); });
}
void BM_Bad_Chain1000Distinct(benchmark::State& s)
{
    linksOfEveryItem(s, [] { return chain(1000, [](int n) { return QStringLiteral("Level %1").arg(n); }); });
}
void BM_Bad_Chain1000Equal(benchmark::State& s)
{
    linksOfEveryItem(s, [] { return chain(1000, [](int) { return QStringLiteral("Section"); }); });
}
void BM_Bad_Chain1000Punctuation(benchmark::State& s)
{
    linksOfEveryItem(s, [] { return chain(1000, [](int n) { return n % 2 ? QStringLiteral("---") : QString(); }); });
}
void BM_Bad_Flat10kEmpty(benchmark::State& s)
{
    linksOfEveryItem(s, [] { return flat(10000, [](int n) { return n % 2 ? QStringLiteral("...") : QString(); }); });
}
void BM_Bad_Flat100kEqual(benchmark::State& s)
{
    linksOfEveryItem(s, [] { return flat(100000, [](int) { return QStringLiteral("Introduction"); }); });
}
void BM_Bad_LongTitleWords(benchmark::State& s)
{
    linksOfEveryItem(s, [] { return withLongTitles(false); });
}
void BM_Bad_LongTitleOneWord(benchmark::State& s)
{
    linksOfEveryItem(s, [] { return withLongTitles(true); });
}
void BM_Bad_BuildAndFree100kChain(benchmark::State& s)
{
    for (auto _ : s) {
        const OutlineTree tree = chain(100000, [](int n) { return QStringLiteral("Level %1").arg(n); });
        benchmark::DoNotOptimize(tree.moiDepthArray().size());
    }
}
void BM_Bad_Opml100k(benchmark::State& s)
{
    const OutlineTree tree = testing::manualLikeOutline(100000, 5);
    for (auto _ : s)
        benchmark::DoNotOptimize(OPMLFileText(tree, QStringLiteral("big.pdf"), QStringLiteral("big/"), 0));
}
void BM_Bad_Opml1000Levels(benchmark::State& s)
{
    const OutlineTree tree = chain(1000, [](int n) { return QStringLiteral("Level %1").arg(n); });
    for (auto _ : s)
        benchmark::DoNotOptimize(OPMLFileText(tree, QStringLiteral("deep.pdf"), QStringLiteral("deep/"), 0));
}
void BM_Bad_MatchPath100k(benchmark::State& s)
{
    matchOnePath(
        s, [] { return testing::manualLikeOutline(100000, 5); }, false);
}

} // namespace

BENCHMARK(BM_Links10k_Fast)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Links10k_FastAgain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Links10k_Reference)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_MatchPath10k_Fast)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MatchPath10k_Reference)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MatchPath10k_FirstUse)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_LinksManual_Fast)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_LinksManual_FastAgain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LinksManual_Reference)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_MatchPathManual_Fast)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MatchPathManual_Reference)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MatchPathManual_FirstUse)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Bad_Links100k)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Bad_Chain1000Distinct)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Bad_Chain1000Equal)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Bad_Chain1000Punctuation)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Bad_Flat10kEmpty)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Bad_Flat100kEqual)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Bad_LongTitleWords)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Bad_LongTitleOneWord)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Bad_BuildAndFree100kChain)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Bad_Opml100k)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Bad_Opml1000Levels)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Bad_MatchPath100k)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
