// SPDX-License-Identifier: GPL-3.0-or-later
// The search pane's text find beside pdfgrep on the same 2,000-page PDF:
//   1. all matches of a common word, with one and with two workers, vs pdfgrep -c -i WORD;
//   2. the time to the first row and to the first 20 rows;
//   3. the main thread's work per page found: the time it spends awake (adding and updating rows,
//      the table drawing them) while the find runs, divided by the rows;
//   4. what opening the workers' copies of the PDF costs the main thread.
// A plain timing program. Usage: bench_search [PDFDIR] [WORD] [PDF]  (the generated PDFs are kept in
// PDFDIR; PDF, when given, is searched instead of the generated 2,000-page one).
#include "BusyClock.h"
#include "document/search/SearchPane.h"
#include "pdf/PdfDocument.h"
#include "search/DocumentSearch.h"
#include "search/TextFinder.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>

#include <algorithm>
#include <cstdio>

using namespace tolvo;

namespace {

constexpr int kRuns = 3;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double ms(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

// Wall time of pdfgrep -c -i over the file, and the count it prints.
double pdfgrep(const QString& pdf, const QString& word, QString* count)
{
    QElapsedTimer timer;
    timer.start();
    QProcess process;
    process.start(QStringLiteral("pdfgrep"), { QStringLiteral("-c"), QStringLiteral("-i"), word, pdf });
    if (!process.waitForFinished(600000) || process.exitStatus() != QProcess::NormalExit)
        return -1;
    *count = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    return ms(timer);
}

struct FindRun {
    double total = 0;
    double firstRow = -1;
    double first20 = -1;
    double busy = 0;
    int rows = 0;
    quint64 matches = 0;
};

// One query typed into a shown pane, from the keystroke to the find's end.
FindRun runFind(const pdf::Document& document, int workers, const QString& word, BusyClock& clock)
{
    std::vector<std::unique_ptr<pdf::Document>> copies;
    for (int i = 0; i < workers; ++i)
        copies.push_back(document.reopen());
    DocumentSearch search(document, {}, std::make_unique<TextFinder>(std::move(copies)));
    SearchPane pane(search);
    pane.resize(700, 300);
    pane.show();
    QCoreApplication::processEvents();

    FindRun run;
    QElapsedTimer timer;
    QObject::connect(search.model(), &QAbstractItemModel::rowsInserted, [&] {
        const int rows = search.model()->rowCount();
        if (run.firstRow < 0)
            run.firstRow = ms(timer);
        if (run.first20 < 0 && rows >= 20)
            run.first20 = ms(timer);
    });
    bool ended = false;
    QObject::connect(&search, &DocumentSearch::pdfSearchDidEnd, [&] { ended = true; });
    clock.reset();
    timer.start();
    pane.searchField()->setText(word);
    while (!ended)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    run.total = ms(timer);
    run.busy = clock.busyMs();
    run.rows = search.model()->rowCount();
    for (const MySearchResult& r : search.model()->searchResultsArray())
        run.matches += r.resultCountOnPage;
    return run;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(TOLVO_BENCH_PDF_DIR);
    const QString word = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("value");
    QProcess make;
    make.setProcessChannelMode(QProcess::ForwardedChannels);
    make.start(QStringLiteral("/usr/bin/python3"), { QStringLiteral(TOLVO_BENCH_SCRIPT), dir });
    if (!make.waitForFinished(900000) || make.exitCode() != 0) {
        std::fprintf(stderr, "cannot make the benchmark PDFs\n");
        return 1;
    }
    const QString pdf = argc > 3 ? QString::fromLocal8Bit(argv[3]) : dir + QStringLiteral("/bench-2000.pdf");
    pdf::OpenResult opened = pdf::openDocument(pdf);
    if (!opened.document) {
        std::fprintf(stderr, "cannot open %s: %s\n", qPrintable(pdf), qPrintable(opened.error));
        return 1;
    }
    const pdf::Document& document = *opened.document;
    std::printf("%s, %d pages, word \"%s\"\n", qPrintable(pdf), document.pageCount(), qPrintable(word));

    std::vector<double> reopen;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer timer;
        timer.start();
        const auto copy = document.reopen();
        reopen.push_back(ms(timer));
    }
    std::printf("reopen() for a worker (main thread): %.1f ms\n", median(reopen));

    BusyClock clock(QCoreApplication::eventDispatcher());
    std::vector<double> grep, one, two, first, first20, busyPerRow;
    QString grepCount;
    FindRun last;
    for (int i = 0; i < kRuns; ++i) {
        // Interleaved, so that the load of the shared machine falls on both alike.
        grep.push_back(pdfgrep(pdf, word, &grepCount));
        one.push_back(runFind(document, 1, word, clock).total);
        last = runFind(document, 2, word, clock);
        two.push_back(last.total);
        first.push_back(last.firstRow);
        first20.push_back(last.first20);
        busyPerRow.push_back(last.rows ? last.busy * 1000.0 / last.rows : 0);
    }
    std::printf("pdfgrep -c -i:          %8.0f ms  (count %s)\n", median(grep), qPrintable(grepCount));
    std::printf("find, 1 worker:         %8.0f ms\n", median(one));
    std::printf("find, 2 workers:        %8.0f ms  (%d rows, %llu matches)  %.2fx pdfgrep\n", median(two), last.rows,
        static_cast<unsigned long long>(last.matches), median(grep) / median(two));
    std::printf("first row after:        %8.1f ms\n", median(first));
    std::printf("first 20 rows after:    %8.1f ms\n", median(first20));
    std::printf(
        "main thread per row:    %8.1f us  (awake %.0f ms of %.0f ms)\n", median(busyPerRow), last.busy, last.total);
    return 0;
}
