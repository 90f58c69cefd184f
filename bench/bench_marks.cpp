// SPDX-License-Identifier: GPL-3.0-or-later
// Writing one mark into a large PDF: the time from the change to the PDF replaced (the
// incremental update, its read-back, the rename), beside a plain copy of the same file.
// The first write also keeps the original in the data folder; it is timed apart.
// Works on a copy in a temporary folder; the PDF given is never touched.
// Usage: bench_marks [PDF] [ROUNDS]   (defaults: R's fullrefman.pdf, 5)
#include "document/DocumentMarks.h"
#include "pdf/PdfDocument.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString source
        = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/usr/share/R/doc/manual/fullrefman.pdf");
    const int rounds = argc > 2 ? std::max(1, atoi(argv[2])) : 5;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.pdf"));
    if (!QFile::copy(source, path)) {
        std::fprintf(stderr, "cannot copy %s\n", qPrintable(source));
        return 1;
    }
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    tolvo::pdf::OpenResult opened = tolvo::pdf::openDocument(path);
    if (!opened.document) {
        std::fprintf(stderr, "%s\n", qPrintable(opened.error));
        return 1;
    }
    const tolvo::pdf::Document& doc = *opened.document;
    tolvo::DocumentMarks marks(doc, path, QStringLiteral("bench"), dir.filePath(QStringLiteral("data")));
    std::printf("%s: %d pages, %.1f MB\n", qPrintable(QFileInfo(source).fileName()), doc.pageCount(),
        QFileInfo(source).size() / 1e6);

    std::vector<double> saves;
    double first = 0;
    for (int round = 0; round <= rounds; ++round) {
        const int page = (doc.pageCount() / 2 + round * 37) % doc.pageCount();
        const QRectF all = doc.pageGeometry(page).cropBox;
        const tolvo::pdf::TextSelection selection
            = doc.selectionForRect(page, QRectF(all.left(), all.bottom() - 200, all.width(), 100));
        tolvo::pdf::Mark mark;
        mark.pageIndex = page;
        mark.colour = tolvo::pdf::markColourNamed(QStringLiteral("yellow"));
        for (const tolvo::pdf::SelectionLine& line : selection.lines)
            if (line.pageIndex == page && mark.rects.size() < 3)
                mark.rects.append(line.bounds);
        if (mark.rects.isEmpty())
            mark.rects.append(QRectF(all.left() + 72, all.bottom() - 144, 200, 12));
        mark.text = QStringLiteral("bench");
        marks.add(mark);
        QElapsedTimer timer;
        timer.start();
        if (!marks.save()) {
            std::fprintf(stderr, "save failed: %s\n", qPrintable(marks.lastError()));
            return 1;
        }
        const double ms = timer.nsecsElapsed() / 1e6;
        if (round == 0)
            first = ms;
        else
            saves.push_back(ms);
    }

    std::vector<double> copies;
    for (int round = 0; round < rounds; ++round) {
        const QString copy = dir.filePath(QStringLiteral("copy.pdf"));
        QFile::remove(copy);
        QElapsedTimer timer;
        timer.start();
        QFile::copy(path, copy);
        copies.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("first save (original kept aside too): %.0f ms\n", first);
    std::printf("one mark saved, median of %d: %.0f ms\n", rounds, median(saves));
    std::printf("plain copy of the file, median of %d: %.0f ms\n", rounds, median(copies));
    return 0;
}
