// SPDX-License-Identifier: GPL-3.0-or-later
// The page view's speed beside Poppler's own pdftoppm on the same files at the same
// resolution (72 dpi: one pixel per point, the view at 100 %):
//   1. from opening a 1,000-page PDF to its first page drawn on screen, vs pdftoppm -f 1 -l 1;
//   2. pages drawn per second while scrolling through 100 pages, vs pdftoppm -f 1 -l 100;
//   3. peak resident memory after scrolling through a whole 2,000-page PDF.
// Usage: bench_pageview [PDFDIR]  (the generated PDFs are kept in PDFDIR between runs).
#include "WaitDrawn.h"
#include "pageview/LabelPDFView.h"
#include "pdf/PdfDocument.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>

using tolvo::pageview::LabelPDFView;

namespace {

constexpr int kRuns = 5;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Wall time of one pdftoppm run writing PPM images into a scratch folder, in milliseconds.
double pdftoppm(const QString& pdf, int first, int last)
{
    QTemporaryDir out;
    QElapsedTimer timer;
    timer.start();
    QProcess process;
    process.start(QStringLiteral("pdftoppm"),
        { QStringLiteral("-f"), QString::number(first), QStringLiteral("-l"), QString::number(last),
            QStringLiteral("-r"), QStringLiteral("72"), pdf, out.filePath(QStringLiteral("page")) });
    if (!process.waitForFinished(600000) || process.exitCode() != 0)
        return -1;
    return double(timer.nsecsElapsed()) / 1e6;
}

struct Window {
    std::unique_ptr<tolvo::pdf::Document> document;
    std::unique_ptr<LabelPDFView> view;
};

Window openWindow(const QString& pdf, qint64 cacheBytes = LabelPDFView::kDefaultCacheBytes)
{
    Window w;
    tolvo::pdf::OpenResult opened = tolvo::pdf::openDocument(pdf);
    w.document = std::move(opened.document);
    if (!w.document)
        return w;
    w.view = std::make_unique<LabelPDFView>();
    w.view->setCacheLimit(cacheBytes);
    w.view->setPrefix(QStringLiteral("bench/"));
    // One pixel per point at 100 %, as pdftoppm -r 72 draws.
    w.view->setLogicalDpi(72);
    w.view->resize(900, 700); // at 100 % one page fills the view: the first page alone is drawn first
    w.view->show();
    w.view->setDocument(w.document.get());
    return w;
}

double firstPageMs(const QString& pdf)
{
    QElapsedTimer timer;
    timer.start();
    Window w = openWindow(pdf);
    if (!w.view || !waitDrawn(*w.view))
        return -1;
    return double(timer.nsecsElapsed()) / 1e6;
}

// Scrolls a viewport at a time until the given page has been in view, waiting at every
// step until the visible pages are drawn; milliseconds from the first step.
double scrollThrough(LabelPDFView& view, int pages)
{
    QElapsedTimer timer;
    timer.start();
    QScrollBar* bar = view.verticalScrollBar();
    while (true) {
        const QVector<int> visible = view.visiblePages();
        if (!visible.isEmpty() && visible.back() >= pages - 1)
            break;
        if (bar->value() >= bar->maximum())
            break;
        bar->setValue(bar->value() + view.viewport()->height());
        if (!waitDrawn(view))
            return -1;
    }
    return double(timer.nsecsElapsed()) / 1e6;
}

long peakResidentKiB()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The memory figure is taken in a process of its own, so that the earlier parts leave no peak.
int memoryRun(const QString& pdf)
{
    Window w = openWindow(pdf);
    if (!w.view)
        return 1;
    w.view->setScaleFactor(1.0);
    waitDrawn(*w.view);
    const long before = peakResidentKiB();
    const double ms = scrollThrough(*w.view, w.document->pageCount());
    const long after = peakResidentKiB();
    const double boundMiB = LabelPDFView::kDefaultCacheBytes / 1048576.0;
    std::printf("whole %d-page PDF at 100 %%: %.1f s; peak resident %.1f MiB (%.1f MiB with its first page shown); "
                "cache %.1f MiB at the end; bound + 150 MB = %.1f MiB\n",
        w.document->pageCount(), ms / 1000, after / 1024.0, before / 1024.0, w.view->cachedBytes() / 1048576.0,
        boundMiB + 150e6 / 1048576.0);
    return after / 1024.0 < boundMiB + 150e6 / 1048576.0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.size() == 2 && args[0] == QLatin1String("--memory"))
        return memoryRun(args[1]);
    const QString dir = args.isEmpty() ? QStringLiteral(TOLVO_BENCH_PDF_DIR) : args[0];
    QProcess make;
    make.setProcessChannelMode(QProcess::ForwardedChannels);
    make.start(QStringLiteral("/usr/bin/python3"), { QStringLiteral(TOLVO_BENCH_SCRIPT), dir });
    if (!make.waitForFinished(1800000) || make.exitCode() != 0) {
        std::fprintf(stderr, "bench_pageview: could not make the PDFs in %s\n", qPrintable(dir));
        return 1;
    }
    const QString thousand = QDir(dir).filePath(QStringLiteral("bench-1000.pdf"));
    const QString twoThousand = QDir(dir).filePath(QStringLiteral("bench-2000.pdf"));
    QStringList manuals = { thousand };
    if (QFile::exists(QStringLiteral("/usr/share/doc/octave/octave.pdf")))
        manuals << QStringLiteral("/usr/share/doc/octave/octave.pdf");

    std::printf("Page view benchmark (72 dpi, %d runs each, medians)\n\n", kRuns);
    std::printf("%-40s %12s %12s %8s\n", "first page drawn", "view ms", "pdftoppm ms", "ratio");
    for (const QString& pdf : manuals) {
        std::vector<double> view, poppler;
        for (int i = 0; i < kRuns; ++i) {
            view.push_back(firstPageMs(pdf));
            poppler.push_back(pdftoppm(pdf, 1, 1));
        }
        std::printf("%-40s %12.1f %12.1f %8.2f\n", qPrintable(QFileInfo(pdf).fileName()), median(view), median(poppler),
            median(view) / median(poppler));
    }

    std::printf("\n%-40s %12s %12s %8s\n", "scrolling through 100 pages", "view p/s", "pdftoppm p/s", "ratio");
    for (const QString& pdf : manuals) {
        std::vector<double> view, poppler;
        for (int i = 0; i < kRuns; ++i) {
            Window w = openWindow(pdf);
            w.view->setScaleFactor(1.0);
            if (!waitDrawn(*w.view))
                return 1;
            view.push_back(100 / (scrollThrough(*w.view, 100) / 1000));
            poppler.push_back(100 / (pdftoppm(pdf, 1, 100) / 1000));
        }
        std::printf("%-40s %12.1f %12.1f %8.2f\n", qPrintable(QFileInfo(pdf).fileName()), median(view), median(poppler),
            median(view) / median(poppler));
    }
    std::printf("\n");
    std::fflush(stdout);

    QProcess memory;
    memory.setProcessChannelMode(QProcess::ForwardedChannels);
    memory.start(QCoreApplication::applicationFilePath(), { QStringLiteral("--memory"), twoThousand });
    memory.waitForFinished(3600000);
    return memory.exitCode();
}
