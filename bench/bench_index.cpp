// SPDX-License-Identifier: GPL-3.0-or-later
// The text index beside the tools that read the same PDF, in one run:
//   1. the first search of PDF for WORD (which also writes the index) vs pdfgrep -c -i WORD;
//   2. the index's build time (until it is in place) vs pdftotext over the same PDF, and its size;
//   3. later searches from the index: keystroke to the first row and to all rows, and the main
//      thread's time awake meanwhile, for WORD and for "the";
//   4. tolvo-cli search --library over every PDF in the folders given, once they are indexed.
// A plain timing program. Usage: bench_index PDF [WORD] [FOLDER...]
// BENCH_INDEX_RUNS sets how many times each later search runs (5), e.g. for a profile of them.
#include "BusyClock.h"
#include "document/search/SearchPane.h"
#include "pdf/DocumentId.h"
#include "pdf/PdfDocument.h"
#include "routing/FileIdentity.h"
#include "search/DocumentSearch.h"
#include "search/TextFinder.h"
#include "search/TextIndex.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

using namespace tolvo;

namespace {

double ms(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

// Wall time of a program, its standard output kept.
double timeProgram(const QString& program, const QStringList& args, QString* out = nullptr,
    const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment())
{
    QElapsedTimer timer;
    timer.start();
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, args);
    if (!process.waitForFinished(1200000) || process.exitStatus() != QProcess::NormalExit)
        return -1;
    if (out)
        *out = QString::fromUtf8(process.readAllStandardOutput());
    return ms(timer);
}

struct Query {
    double firstRow = -1;
    double allRows = -1;
    double busy = 0;
    int rows = 0;
    quint64 matches = 0;
};

// One query typed into the pane, from the keystroke to the find's end.
Query typeQuery(DocumentSearch& search, SearchPane& pane, const QString& word, BusyClock& clock)
{
    pane.searchField()->clear();
    QCoreApplication::processEvents();
    Query q;
    QElapsedTimer timer;
    const QMetaObject::Connection rows = QObject::connect(search.model(), &QAbstractItemModel::rowsInserted, [&] {
        if (q.firstRow < 0)
            q.firstRow = ms(timer);
    });
    bool ended = false;
    const QMetaObject::Connection end
        = QObject::connect(&search, &DocumentSearch::pdfSearchDidEnd, [&] { ended = true; });
    clock.reset();
    timer.start();
    pane.searchField()->setText(word);
    while (!ended)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    q.allRows = ms(timer);
    q.busy = clock.busyMs();
    QObject::disconnect(rows);
    QObject::disconnect(end);
    q.rows = search.model()->rowCount();
    for (const MySearchResult& r : search.model()->searchResultsArray())
        q.matches += r.resultCountOnPage;
    return q;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: bench_index PDF [WORD] [FOLDER...]\n");
        return 2;
    }
    const QString pdfPath = args[0];
    const QString word = args.value(1, QStringLiteral("matrix"));
    const QStringList folders = args.mid(2);
    const int runsSet = qEnvironmentVariableIntValue("BENCH_INDEX_RUNS");
    const int runs = runsSet > 0 ? runsSet : 5;
    QTemporaryDir home;
    qputenv("XDG_CACHE_HOME", QFile::encodeName(home.filePath(QStringLiteral("cache"))));
    setPermanentIdReader(pdf::permanentDocumentId);

    pdf::OpenResult opened = pdf::openDocument(pdfPath);
    if (!opened.document) {
        std::fprintf(stderr, "%s\n", qPrintable(opened.error));
        return 1;
    }
    const pdf::Document& document = *opened.document;
    std::printf("%s: %d pages, \"%s\"\n", qPrintable(pdfPath), document.pageCount(), qPrintable(word));

    QString grepCount;
    const double grep = timeProgram(QStringLiteral("pdfgrep"), { "-c", "-i", word, pdfPath }, &grepCount);
    const double totext = timeProgram(QStringLiteral("pdftotext"), { pdfPath, home.filePath(QStringLiteral("t.txt")) });

    BusyClock clock(QAbstractEventDispatcher::instance());
    const IndexKey key { pdf::permanentDocumentId(pdfPath), contentFingerprint(pdfPath) };
    DocumentSearch search(document, {});
    search.setIndexKey(key);
    SearchPane pane(search);
    pane.resize(700, 300);
    pane.show();
    QCoreApplication::processEvents();

    // 1 and 2: the first search writes the index; it is in place when the progress says 100.
    QElapsedTimer built;
    double buildMs = -1;
    QObject::connect(&search, &DocumentSearch::indexProgress, [&](int percent) {
        if (percent == 100 && buildMs < 0)
            buildMs = ms(built);
    });
    built.start();
    const Query first = typeQuery(search, pane, word, clock);
    while (buildMs < 0)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const qint64 size = QFileInfo(indexDirectory() + u'/' + key.fileName()).size();
    std::printf("first search (writes the index): %.0f ms, %d rows, %llu matches; pdfgrep -c -i: %.0f ms (%s lines)"
                " -> %.2f x pdfgrep\n",
        first.allRows, first.rows, static_cast<unsigned long long>(first.matches), grep, qPrintable(grepCount),
        first.allRows / grep);
    std::printf("index in place after %.0f ms; pdftotext: %.0f ms -> %.2f x pdftotext; %.1f MB on disk\n", buildMs,
        totext, buildMs / totext, double(size) / 1e6);

    // 3: later searches read the index.
    for (const QString& query : { word, QStringLiteral("the") }) {
        std::vector<double> firsts, alls, busy;
        Query q;
        for (int run = 0; run < runs; ++run) {
            q = typeQuery(search, pane, query, clock);
            firsts.push_back(q.firstRow);
            alls.push_back(q.allRows);
            busy.push_back(q.busy);
        }
        std::printf("indexed search \"%s\": first row %.1f ms, all %d rows %.1f ms, main thread awake %.1f ms"
                    " (median of %d)\n",
            qPrintable(query), median(firsts), q.rows, median(alls), median(busy), runs);
    }

    // 4: the library search over every PDF in the folders.
    if (!folders.isEmpty()) {
        // BENCH_TOLVO_CLI names another build's program, for a side-by-side run of two builds.
        const QString cli = qEnvironmentVariableIsSet("BENCH_TOLVO_CLI") ? qEnvironmentVariable("BENCH_TOLVO_CLI")
                                                                         : QStringLiteral(TOLVO_CLI);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_CACHE_HOME"), home.filePath(QStringLiteral("cache")));
        int routed = 0;
        for (const QString& folder : folders)
            for (const QFileInfo& file : QDir(folder).entryInfoList({ QStringLiteral("*.pdf") }, QDir::Files)) {
                const QString prefix = QStringLiteral("lib%1").arg(routed);
                if (timeProgram(cli, { "prefix", "--assign", prefix, file.absoluteFilePath() }, nullptr, env) >= 0)
                    ++routed;
            }
        QString out;
        const double indexing = timeProgram(cli, { "search", "--library", word }, &out, env);
        std::vector<double> times;
        for (int run = 0; run < runs; ++run)
            times.push_back(timeProgram(cli, { "search", "--library", word }, &out, env));
        qint64 total = 0;
        for (const QFileInfo& f : QDir(indexDirectory()).entryInfoList(QDir::Files))
            total += f.size();
        std::printf("tolvo-cli search --library \"%s\" over %d PDFs: %lld rows; indexing them %.0f ms; indexed %.0f ms"
                    " (median of %d); all indexes %.1f MB\n",
            qPrintable(word), routed, static_cast<long long>(out.count(u'\n')), indexing, median(times), runs,
            double(total) / 1e6);
    }
    return 0;
}
