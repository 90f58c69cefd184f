// SPDX-License-Identifier: GPL-3.0-or-later
// Makes one highlight in a PDF and then hangs before writing it, to be killed.
//   marks_kill_helper PDF DATAFOLDER
// The highlight covers the first line of page 1. Prints "marked" once the change is made
// (and with it the journal written); the write into the PDF, due a moment later, never comes.
#include "document/DocumentMarks.h"
#include "document/RememberedPlaces.h"
#include "pdf/PdfDocument.h"

#include <QCoreApplication>

#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    const QString path = QString::fromLocal8Bit(argv[1]);
    tolvo::pdf::OpenResult opened = tolvo::pdf::openDocument(path);
    if (!opened.document)
        return 3;
    tolvo::DocumentMarks marks(
        *opened.document, path, tolvo::RememberedPlaces::identityOf(path), QString::fromLocal8Bit(argv[2]));
    const tolvo::pdf::TextSelection line = opened.document->selectionForRect(0, QRectF(60, 695, 300, 20));
    tolvo::pdf::Mark mark;
    mark.pageIndex = 0;
    mark.colour = tolvo::pdf::markColourNamed(QStringLiteral("green"));
    for (const tolvo::pdf::SelectionLine& l : line.lines)
        mark.rects.append(l.bounds);
    mark.text = line.text;
    marks.add(mark);
    std::printf("marked\n");
    std::fflush(stdout);
    // No event loop: the delayed write never runs.
    for (;;)
        pause();
}
