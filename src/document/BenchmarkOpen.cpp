// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/BenchmarkOpen.h"

#include "document/DocumentController.h"
#include "pageview/LabelPDFView.h"

#include <QApplication>
#include <QFile>
#include <QTimer>

#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace tolvo {

double millisecondsSinceProcessStart()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    // The command name may hold spaces and parentheses: the fields start after the last ")".
    const qsizetype close = line.lastIndexOf(')');
    if (close < 0)
        return -1;
    const QList<QByteArray> fields = line.mid(close + 2).split(' ');
    // Field 22 of the line (starttime) is the 20th after the name.
    if (fields.size() < 20)
        return -1;
    bool ok = false;
    const double ticks = fields[19].toDouble(&ok);
    const long perSecond = sysconf(_SC_CLK_TCK);
    timespec now {};
    if (!ok || perSecond <= 0 || clock_gettime(CLOCK_BOOTTIME, &now) != 0)
        return -1;
    const double startMs = ticks * 1000.0 / double(perSecond);
    return double(now.tv_sec) * 1000.0 + double(now.tv_nsec) / 1e6 - startMs;
}

int runBenchmarkOpen(const QString& path)
{
    DocumentController controller;
    MyDocument* document = controller.openDocument(path);
    if (!document || !document->pdfview()) {
        std::fprintf(stderr, "tolvo: could not open %s\n", qPrintable(path));
        return 1;
    }
    bool shown = false;
    QObject::connect(document->pdfview(), &pageview::PageView::visiblePagesDrawn, qApp, [&shown] {
        if (shown)
            return;
        shown = true;
        std::printf("%.0f\n", millisecondsSinceProcessStart());
        std::fflush(stdout);
        QCoreApplication::exit(0);
    });
    QTimer::singleShot(60000, qApp, [] {
        std::fprintf(stderr, "tolvo: the first page was not shown within a minute\n");
        QCoreApplication::exit(1);
    });
    return QApplication::exec();
}

} // namespace tolvo
