// SPDX-License-Identifier: GPL-3.0-or-later
// How long closing a window waits for its workers, on a page whose text takes seconds to read
// (the fixture slow-text.pdf, made by the tests): the text find and the annotation gathering are
// started, given time to reach the slow page, and then destroyed, as a closing window destroys them.
// A plain timing program. Usage: bench_stop PDF [PAGE-READ-SECONDS]
#include "pdf/PdfDocument.h"
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

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_stop PDF\n");
        return 2;
    }
    const pdf::OpenResult opened = pdf::openDocument(QString::fromLocal8Bit(argv[1]));
    if (!opened.document) {
        std::fprintf(stderr, "bench_stop: %s\n", qPrintable(opened.error));
        return 1;
    }
    const pdf::Document& document = *opened.document;

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
