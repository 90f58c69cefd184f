// SPDX-License-Identifier: GPL-3.0-or-later
// Following the PDF's own links in a long manual: from a click on an index entry to the
// target page drawn on screen, and from an index page shown to its links known.
// Usage: bench_pdf_links [PDF] [CLICKS]   (default: R's fullrefman.pdf, 20 clicks)
#include "pageview/LabelPDFView.h"
#include "pdf/PdfDocument.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMouseEvent>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <set>

using tolvo::pageview::LabelPDFView;

namespace {

const char* const kManual = "/usr/share/R/doc/manual/fullrefman.pdf";

// Runs the event loop until cond holds (checked after every event batch), or the time is up.
bool waitFor(const std::function<bool()>& cond, int timeoutMs = 60000)
{
    QElapsedTimer timer;
    timer.start();
    while (!cond()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    return true;
}

void click(LabelPDFView& view, QPointF at)
{
    QWidget* vp = view.viewport();
    QMouseEvent press(QEvent::MouseButtonPress, at, vp->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(vp, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, vp->mapToGlobal(at), Qt::LeftButton, Qt::NoButton, {});
    QApplication::sendEvent(vp, &release);
}

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(p * double(values.size())))];
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QString pdf = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString::fromLatin1(kManual);
    const int clicks = argc > 2 ? std::max(1, atoi(argv[2])) : 20;
    if (!QFile::exists(pdf)) {
        std::fprintf(stderr, "%s is not there\n", qPrintable(pdf));
        return 1;
    }
    tolvo::pdf::OpenResult opened = tolvo::pdf::openDocument(pdf);
    if (!opened.document) {
        std::fprintf(stderr, "%s\n", qPrintable(opened.error));
        return 1;
    }
    const tolvo::pdf::Document& document = *opened.document;
    LabelPDFView view;
    view.resize(1000, 800);
    view.show();
    view.setDocument(&document);
    view.setAutoScales(true);
    // What a document window does with a click on a place in the PDF.
    QObject::connect(&view, &LabelPDFView::linkActivated, &view, [&view](const tolvo::pdf::PageLink& link) {
        if (link.kind == tolvo::pdf::PageLink::Kind::Destination)
            view.goToDestination(link.destination);
    });
    waitFor([&] { return view.visiblePagesReady(); });

    // Index pages sit at the end; their entries lead all over the manual.
    std::vector<int> indexPages;
    std::vector<double> readTimes;
    size_t linkCount = 0;
    for (int page = document.pageCount() - 1; page >= 0 && int(indexPages.size()) < clicks; page -= 3) {
        QElapsedTimer read;
        read.start();
        const size_t count = document.links(page).size();
        readTimes.push_back(double(read.nsecsElapsed()) / 1e6);
        if (count > 20) {
            indexPages.push_back(page);
            linkCount += count;
        }
    }
    if (indexPages.empty()) {
        std::fprintf(stderr, "no page with many links\n");
        return 1;
    }

    std::vector<double> linksKnown, followed;
    std::set<int> seen;
    for (size_t i = 0; i < size_t(clicks); ++i) {
        const int page = indexPages[i % indexPages.size()];
        view.goToPage(page);
        QElapsedTimer timer;
        timer.start();
        if (!waitFor([&] { return view.visiblePagesReady() && view.linkAreas().isRead(page); }))
            return 1;
        linksKnown.push_back(double(timer.nsecsElapsed()) / 1e6);
        // A link into a part of the manual not drawn yet, and at its top-left once there.
        const tolvo::pageview::LinkArea* chosen = nullptr;
        for (const tolvo::pageview::LinkArea& area : view.linkAreas().linksOn(page)) {
            const int target = area.link.destination.pageIndex;
            const QPointF centre = view.convertPointFromPage(area.link.area.center(), page);
            if (area.link.kind == tolvo::pdf::PageLink::Kind::Destination && std::abs(target - page) > 20
                && !seen.count(target / 10) && view.viewport()->rect().contains(centre.toPoint())) {
                chosen = &area;
                break;
            }
        }
        if (!chosen)
            continue;
        const int target = chosen->link.destination.pageIndex;
        seen.insert(target / 10);
        const QPointF at = view.convertPointFromPage(chosen->link.area.center(), page);
        bool drawn = false;
        const QMetaObject::Connection connection = QObject::connect(
            &view, &LabelPDFView::visiblePagesDrawn, [&] { drawn = view.visiblePages().contains(target); });
        timer.restart();
        click(view, at);
        const bool ok = waitFor([&] { return drawn && view.visiblePagesReady(); });
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        QObject::disconnect(connection);
        if (!ok) {
            std::fprintf(stderr, "page %d never drawn\n", target + 1);
            return 1;
        }
        followed.push_back(ms);
    }
    if (followed.empty()) {
        std::fprintf(stderr, "no link was followed\n");
        return 1;
    }
    std::printf("%s: %d pages\n", qPrintable(pdf), document.pageCount());
    std::printf("reading one page's links: first %.1f ms (maps the pages and names), then median %.1f ms "
                "(%.0f links a page)\n",
        readTimes.front(), percentile(std::vector<double>(readTimes.begin() + 1, readTimes.end()), 0.5),
        double(linkCount) / double(std::max<size_t>(1, indexPages.size())));
    std::printf("index page shown to its links known: median %.1f ms, worst %.1f ms (%zu pages)\n",
        percentile(linksKnown, 0.5), percentile(linksKnown, 1.0), linksKnown.size());
    std::printf("click on a link to its target page drawn: median %.1f ms, 90th percentile %.1f ms, worst %.1f ms "
                "(%zu clicks)\n",
        percentile(followed, 0.5), percentile(followed, 0.9), percentile(followed, 1.0), followed.size());
    return 0;
}
