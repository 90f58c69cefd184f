// SPDX-License-Identifier: GPL-3.0-or-later
// Resident memory of real document windows, against the page cache's bound plus 150 MB:
//   1. scrolling a window through a whole PDF a screenful at a time, at the zoom a new window
//      shows and at the greatest zoom, with the peak (VmHWM) and the resident size (VmRSS)
//      printed as it goes;
//   2. opening and closing windows one after another, with the resident size before and after.
// Each part runs in a process of its own, so that no part inherits another's peak.
// Usage: bench_memory [PDF] [WINDOW-PDF]   (defaults: R's fullrefman.pdf and R-intro.pdf)
//        bench_memory --scroll PDF default|max [PAGES]
//        bench_memory --windows PDF COUNT
#include "WaitDrawn.h"
#include "document/DocumentController.h"
#include "document/DocumentWindow.h"
#include "document/MyDocument.h"
#include "document/NotesStore.h"
#include "pageview/LabelPDFView.h"
#include "render/PageImageMemory.h"
#include "render/PageRenderer.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <memory>

using tolvo::pageview::LabelPDFView;

namespace {

const QString kManual = QStringLiteral("/usr/share/R/doc/manual/fullrefman.pdf");
const QString kIntro = QStringLiteral("/usr/share/R/doc/manual/R-intro.pdf");

// A field of /proc/self/status in MiB (VmHWM: the peak resident size; VmRSS: the resident size now).
double statusMiB(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray name = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(name))
            return line.mid(name.size()).trimmed().split(' ').value(0).toDouble() / 1024;
    return -1;
}

// Runs the event loop for a while, so that queued deliveries and deferred deletions are done.
void settle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// The settings and notes of a scratch user, so that the benchmark leaves the real ones alone.
struct Scratch {
    QTemporaryDir folder;
    std::unique_ptr<tolvo::Defaults> defaults;
    std::unique_ptr<tolvo::NotesStore> notes;
    std::unique_ptr<tolvo::DocumentController> controller;

    Scratch()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder.path()));
        qputenv("XDG_DATA_HOME", QFile::encodeName(folder.filePath(QStringLiteral("data"))));
        defaults = std::make_unique<tolvo::Defaults>(folder.filePath(QStringLiteral("defaults.json")));
        tolvo::registerTolvoDefaults(*defaults);
        notes = std::make_unique<tolvo::NotesStore>(*defaults, folder.filePath(QStringLiteral("notes")));
        tolvo::DocumentEnvironment env;
        env.defaults = defaults.get();
        env.notes = notes.get();
        env.dataFolder = folder.filePath(QStringLiteral("data"));
        controller = std::make_unique<tolvo::DocumentController>(env);
    }
};

int scrollRun(const QString& pdf, bool maxZoom, int pages)
{
    Scratch scratch;
    tolvo::MyDocument* doc = scratch.controller->openDocument(pdf);
    if (!doc || !doc->pdfview()) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(pdf));
        return 1;
    }
    doc->myWindow()->resize(1200, 900);
    doc->finishSetUp();
    LabelPDFView& view = *doc->pdfview();
    if (maxZoom)
        view.setScaleFactor(LabelPDFView::kMaximumScaleFactor);
    waitDrawn(view);
    settle(500);
    const int count = pages > 0 ? std::min(pages, view.pageCount()) : view.pageCount();
    const double boundMiB = view.cacheLimit() / 1048576.0 + 150e6 / 1048576.0;
    std::printf("%s at zoom %.2f (%s), %d of %d pages, view %dx%d, cache bound %.0f MiB, goal %.1f MiB\n",
        qPrintable(QFileInfo(pdf).fileName()), view.scaleFactor(), maxZoom ? "maximum" : "a new window's", count,
        view.pageCount(), view.viewport()->width(), view.viewport()->height(), view.cacheLimit() / 1048576.0, boundMiB);
    std::printf("%8s %8s %10s %10s %10s %10s\n", "page", "s", "VmHWM MiB", "VmRSS MiB", "cache MiB", "images MiB");
    auto line = [&](int page, double s) {
        std::printf("%8d %8.1f %10.1f %10.1f %10.1f %10.1f\n", page + 1, s, statusMiB("VmHWM"), statusMiB("VmRSS"),
            view.cachedBytes() / 1048576.0, tolvo::pageview::bytesInOwnMappings() / 1048576.0);
        std::fflush(stdout);
    };
    // Pages drawn more than once were let go of before they were wanted again: scrolling waits for them.
    int drawn = 0;
    tolvo::pageview::PageRenderer* renderer = view.findChild<tolvo::pageview::PageRenderer*>();
    if (renderer)
        QObject::connect(renderer, &tolvo::pageview::PageRenderer::pageRendered, [&drawn] { ++drawn; });
    QElapsedTimer timer;
    timer.start();
    line(0, 0);
    QScrollBar* bar = view.verticalScrollBar();
    const int every = std::max(1, count / 24);
    int reported = 0;
    while (true) {
        const QVector<int> visible = view.visiblePages();
        const int last = visible.isEmpty() ? 0 : visible.back();
        if (last / every > reported / every) {
            reported = last;
            line(last, timer.elapsed() / 1000.0);
        }
        if (last >= count - 1 || bar->value() >= bar->maximum())
            break;
        bar->setValue(bar->value() + view.viewport()->height());
        if (!waitDrawn(view)) {
            std::fprintf(stderr, "pages %d and on not drawn in time\n", last + 1);
            return 1;
        }
    }
    line(view.visiblePages().value(0), timer.elapsed() / 1000.0);
    const double peak = statusMiB("VmHWM");
    std::printf("%d page images drawn, %d drawings aborted (times with other work on the machine)\n", drawn,
        renderer ? renderer->abortedCount() : -1);
    std::printf("peak %.1f MiB against %.1f MiB: %s\n\n", peak, boundMiB, peak <= boundMiB ? "within" : "OVER");
    return peak <= boundMiB ? 0 : 1;
}

int windowsRun(const QString& pdf, int count)
{
    Scratch scratch;
    auto openAndClose = [&] {
        tolvo::MyDocument* doc = scratch.controller->openDocument(pdf);
        if (!doc || !doc->pdfview())
            return false;
        doc->finishSetUp();
        waitDrawn(*doc->pdfview());
        settle(50);
        QEventLoop loop;
        QObject::connect(scratch.controller.get(), &tolvo::DocumentController::documentClosed, &loop, &QEventLoop::quit,
            Qt::QueuedConnection);
        doc->close();
        loop.exec();
        settle(20);
        return true;
    };
    // One window first, so that what every process keeps once (fonts, Poppler's globals, Qt's
    // caches) is in the figure before.
    if (!openAndClose())
        return 1;
    settle(500);
    const double before = statusMiB("VmRSS");
    std::printf("%d windows of %s, one after another\n", count, qPrintable(QFileInfo(pdf).fileName()));
    std::printf("%8s %10s %10s\n", "windows", "VmRSS MiB", "VmHWM MiB");
    std::printf("%8d %10.1f %10.1f\n", 0, before, statusMiB("VmHWM"));
    for (int i = 1; i <= count; ++i) {
        if (!openAndClose())
            return 1;
        if (i % 10 == 0 || i == count) {
            std::printf("%8d %10.1f %10.1f\n", i, statusMiB("VmRSS"), statusMiB("VmHWM"));
            std::fflush(stdout);
        }
    }
    settle(500);
    const double after = statusMiB("VmRSS");
    const double change = (after - before) / before * 100;
    std::printf("resident %.1f MiB before, %.1f MiB after (%+.1f %%): %s\n\n", before, after, change,
        std::abs(change) <= 10 ? "within 10 %" : "OVER");
    return std::abs(change) <= 10 ? 0 : 1;
}

int child(const QStringList& args)
{
    QProcess run;
    run.setProcessChannelMode(QProcess::ForwardedChannels);
    run.start(QCoreApplication::applicationFilePath(), args);
    run.waitForFinished(-1);
    return run.exitCode();
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.value(0) == QLatin1String("--scroll") && args.size() >= 3)
        return scrollRun(args[1], args[2] == QLatin1String("max"), args.value(3).toInt());
    if (args.value(0) == QLatin1String("--windows") && args.size() == 3)
        return windowsRun(args[1], args[2].toInt());
    const QString manual = args.value(0, kManual);
    const QString intro = args.value(1, kIntro);
    int failed = 0;
    failed += child({ QStringLiteral("--scroll"), manual, QStringLiteral("default") });
    failed += child({ QStringLiteral("--scroll"), manual, QStringLiteral("max") });
    failed += child({ QStringLiteral("--windows"), intro, QStringLiteral("60") });
    failed += child({ QStringLiteral("--windows"), manual, QStringLiteral("60") });
    return failed == 0 ? 0 : 1;
}
