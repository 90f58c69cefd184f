// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/PrintDocument.h"

#include "pdf/PdfDocument.h"

#include <QApplication>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>

#include <cmath>

Q_LOGGING_CATEGORY(lcPrint, "tolvo.print")

namespace tolvo {

namespace {

// A page image beyond this many pixels (400 MB) is drawn at a lower resolution and enlarged.
constexpr double kMaxPrintPixels = 100e6;

} // namespace

QList<int> pagesToPrint(const QPrinter& printer, int pageCount, int currentPage)
{
    QList<int> pages;
    switch (printer.printRange()) {
    case QPrinter::CurrentPage:
        if (currentPage >= 0 && currentPage < pageCount)
            pages.append(currentPage);
        return pages;
    case QPrinter::PageRange: {
        const QPageRanges ranges = printer.pageRanges();
        for (int page = 1; page <= pageCount; ++page)
            if (ranges.contains(page))
                pages.append(page - 1);
        return pages;
    }
    case QPrinter::AllPages:
    case QPrinter::Selection:
        break;
    }
    for (int page = 0; page < pageCount; ++page)
        pages.append(page);
    return pages;
}

bool printPages(
    const pdf::Document& document, const QList<int>& pages, QPrinter& printer, const std::function<bool()>& cancelled)
{
    if (pages.isEmpty())
        return true;
    QPainter painter;
    if (!painter.begin(&printer)) {
        qCWarning(lcPrint) << "The printer could not start";
        return false;
    }
    const double dpi = printer.resolution();
    bool allDrawn = true;
    for (qsizetype i = 0; i < pages.size(); ++i) {
        if (cancelled && cancelled())
            break;
        if (i > 0)
            printer.newPage();
        const int page = pages[i];
        const QSizeF points = document.pageGeometry(page).displaySize();
        if (points.isEmpty())
            continue;
        const QRectF area = printer.pageLayout().paintRectPixels(int(dpi));
        const QRectF target(QPointF(0, 0), area.size());
        // The page at the printer's resolution, smaller only when it would not fit in memory.
        double scale = dpi / 72.0;
        const double pixels = points.width() * points.height() * scale * scale;
        if (pixels > kMaxPrintPixels)
            scale *= std::sqrt(kMaxPrintPixels / pixels);
        const QImage image = document.render(page, scale);
        if (image.isNull()) {
            qCWarning(lcPrint) << "Page" << page + 1 << "could not be drawn";
            allDrawn = false;
            continue;
        }
        // Fitted to the printable area, never enlarged beyond the page's own size.
        const QSizeF natural = points * dpi / 72.0;
        QSizeF size = natural.scaled(target.size(), Qt::KeepAspectRatio);
        if (size.width() > natural.width())
            size = natural;
        const QRectF rect(QPointF((target.width() - size.width()) / 2, (target.height() - size.height()) / 2), size);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(rect, image);
    }
    painter.end();
    return allDrawn;
}

void showPrintDialog(const pdf::Document& document, int currentPage, QWidget* window)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QFileInfo(document.filePath()).fileName());
    QPrintDialog dialog(&printer, window);
    dialog.setWindowTitle(QObject::tr("Print %1").arg(QFileInfo(document.filePath()).fileName()));
    dialog.setMinMax(1, document.pageCount());
    dialog.setOption(QAbstractPrintDialog::PrintPageRange);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QList<int> pages = pagesToPrint(printer, document.pageCount(), currentPage);
    QProgressDialog progress(QObject::tr("Printing..."), QObject::tr("Cancel"), 0, int(pages.size()), window);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    int done = 0;
    const bool ok = printPages(document, pages, printer, [&] {
        progress.setValue(done++);
        QApplication::processEvents();
        return progress.wasCanceled();
    });
    progress.setValue(int(pages.size()));
    if (!ok) {
        QApplication::beep();
        QMessageBox::warning(window, QObject::tr("Print"),
            QObject::tr("Some pages of \"%1\" could not be printed.").arg(QFileInfo(document.filePath()).fileName()));
    }
}

} // namespace tolvo
