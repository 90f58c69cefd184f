// SPDX-License-Identifier: GPL-3.0-or-later
// File references: resolving in place, the search for a moved PDF through a
// home folder of many files, and the content fingerprint.
#include "routing/FileIdentity.h"
#include "routing/FileReference.h"
#include "routing/ReferenceResolver.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <map>
#include <memory>

using namespace tolvo;

namespace {

void writeFile(const QString& path, qint64 size, int seed)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    QByteArray bytes = "%PDF-1.4\n% " + QByteArray::number(seed) + "\n";
    bytes.resize(size, 'x');
    f.write(bytes);
}

// A home folder with `files` files spread over folders three levels deep,
// like papers sorted by year and topic, and the usual folders.
struct Home {
    QTemporaryDir dir;
    SearchScope scope;

    explicit Home(int files)
    {
        const QString root = dir.path();
        for (const char* d : { "Documents", "Downloads", "Desktop" })
            QDir(root).mkpath(QString::fromLatin1(d));
        for (int i = 0; i < files; ++i) {
            // One file in ten is a PDF, as in a home folder of papers beside photos and other files.
            const QString path = QStringLiteral("%1/%2/y%3/t%4/f%5.%6")
                                     .arg(root, i % 3 == 0 ? "Documents" : "archive")
                                     .arg(i % 7)
                                     .arg(i % 11)
                                     .arg(i)
                                     .arg(i % 10 == 0 ? "pdf" : "jpg");
            writeFile(path, 1000 + i, i);
        }
        scope.home = root;
        scope.usualFolders = { root + "/Documents", root + "/Downloads", root + "/Desktop", root };
    }
    QString path(const QString& relative) const { return dir.filePath(relative); }
};

Home& homeWith(int files)
{
    static std::map<int, std::unique_ptr<Home>> homes;
    auto& h = homes[files];
    if (!h)
        h = std::make_unique<Home>(files);
    return *h;
}

void BM_ResolveInPlace(benchmark::State& state)
{
    Home& home = homeWith(1000);
    const QString file = home.path("papers/book.pdf");
    writeFile(file, 5 << 20, -1);
    const QVariantMap data = FileReference::make(file)->toVariant();
    for (auto _ : state)
        benchmark::DoNotOptimize(resolveFileReference(data, home.scope));
}
BENCHMARK(BM_ResolveInPlace)->Unit(benchmark::kMicrosecond);

// The PDF left papers/ for the far end of the archive: the search walks most of home.
void BM_ResolveMoved(benchmark::State& state)
{
    Home& home = homeWith(int(state.range(0)));
    const QString from = home.path("papers/moved.pdf");
    const QString to = home.path("archive/6/y10/t9/renamed.pdf");
    writeFile(from, 300 << 10, -2);
    const QVariantMap data = FileReference::make(from)->toVariant();
    QFile::remove(to);
    QDir().mkpath(QFileInfo(to).absolutePath());
    QFile::rename(from, to);
    SearchScope scope = home.scope;
    scope.budgetMs = int(state.range(1));
    int found = 0;
    for (auto _ : state)
        found += resolveFileReference(data, scope).state == ReferenceState::Moved;
    state.counters["found"] = double(found) / double(state.iterations());
    QFile::rename(to, from);
}
BENCHMARK(BM_ResolveMoved)
    ->Args({ 1000, 200 })
    ->Args({ 10000, 200 })
    ->Args({ 30000, 200 })
    ->Args({ 30000, 10000 })
    ->Args({ 100000, 200 })
    ->Unit(benchmark::kMillisecond);

// A PDF that is nowhere: the whole walk, bounded by the time budget.
void BM_ResolveMissing(benchmark::State& state)
{
    Home& home = homeWith(int(state.range(0)));
    const QString file = home.path("papers/gone.pdf");
    writeFile(file, 12345, -3);
    const QVariantMap data = FileReference::make(file)->toVariant();
    QFile::remove(file);
    for (auto _ : state)
        benchmark::DoNotOptimize(resolveFileReference(data, home.scope));
}
BENCHMARK(BM_ResolveMissing)->Arg(1000)->Arg(30000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_Fingerprint(benchmark::State& state)
{
    Home& home = homeWith(1000);
    const QString file = home.path("big.pdf");
    writeFile(file, state.range(0), -4);
    for (auto _ : state)
        benchmark::DoNotOptimize(contentFingerprint(file));
}
BENCHMARK(BM_Fingerprint)->Arg(100 << 10)->Arg(50 << 20)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
