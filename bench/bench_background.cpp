// SPDX-License-Identifier: GPL-3.0-or-later
// The work a window no longer waits for:
//   bench_background slow PDF     how long closing waits for its workers, on a page whose text takes
//                                 seconds to read (the fixture slow-text.pdf, made by the tests): the
//                                 text find and the annotation gathering are started, given time to
//                                 reach the slow page, and destroyed, as a closing window destroys them;
//   bench_background structure PDF  the outline and label map that opening reads (on a worker now;
//                                 on the window's thread before), and the wait of the window for them.
// A plain timing program.
#include "pdf/PdfDocument.h"
#include "pdf/StructureLoader.h"
#include "search/AnnotationCollector.h"
#include "search/TextFinder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <cstdio>

using namespace tolvo;

namespace {

double ms(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

int slow(const pdf::Document& document)
{
    QElapsedTimer whole;
    whole.start();
    const std::vector<pdf::TextWord> words = document.words(document.pageCount() - 1);
    std::printf("reading the last page's text once: %.0f ms (%zu words)\n", ms(whole), words.size());

    for (int run = 0; run < 3; ++run) {
        auto finder = TextFinder::forDocument(document, 2);
        finder->beginFindString(QStringLiteral("w"));
        auto collector = std::make_unique<AnnotationCollector>();
        collector->start(document.reopen());
        QThread::msleep(300); // both workers are inside the slow page by now
        QElapsedTimer timer;
        timer.start();
        finder.reset();
        const double finderMs = ms(timer);
        timer.restart();
        collector.reset();
        std::printf(
            "run %d: text find stopped in %.1f ms, annotation gathering in %.1f ms\n", run + 1, finderMs, ms(timer));
    }
    return 0;
}

int structure(const pdf::Document& document)
{
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer timer;
        timer.start();
        const std::unique_ptr<DocumentStructure> read = readDocumentStructure(document);
        const double readMs = ms(timer);
        StructureLoader loader;
        timer.restart();
        loader.start(document);
        const double startMs = ms(timer);
        const std::unique_ptr<DocumentStructure> loaded = loader.take();
        std::printf("run %d: %zu outline entries, %d labels: read %.0f ms; in the background the caller spends %.1f ms "
                    "to start it\n",
            run + 1, read->outline.outlinedata_array().size(), int(read->labels.pageLabel2pageIndex().size()), readMs,
            startMs);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString what = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (argc < 3 || (what != QLatin1String("slow") && what != QLatin1String("structure"))) {
        std::fprintf(stderr, "usage: bench_background slow|structure PDF\n");
        return 2;
    }
    const pdf::OpenResult opened = pdf::openDocument(QString::fromLocal8Bit(argv[2]));
    if (!opened.document) {
        std::fprintf(stderr, "bench_background: %s\n", qPrintable(opened.error));
        return 1;
    }
    return what == QLatin1String("slow") ? slow(*opened.document) : structure(*opened.document);
}
