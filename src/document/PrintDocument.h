// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// File ▸ Print...: the system's print dialog, then each chosen page drawn by Poppler at the
// printer's resolution and fitted to the printable area.

#include <QList>

#include <functional>

class QPrinter;
class QWidget;

namespace tolvo {

namespace pdf {
class Document;
}

/// The pages (0-based, in order) that the printer's settings choose: all, a range or set of
/// ranges, or the current page.
QList<int> pagesToPrint(const QPrinter& printer, int pageCount, int currentPage);

/// Prints the pages on printer (which must be set up), each page turned to fit the printable
/// area, centred. cancelled is asked between pages. False when the printer could not start or a
/// page could not be drawn; the error is logged.
bool printPages(const pdf::Document& document, const QList<int>& pages, QPrinter& printer,
    const std::function<bool()>& cancelled = {});

/// Shows the print dialog for the document over the window and prints what it chooses.
void showPrintDialog(const pdf::Document& document, int currentPage, QWidget* window);

} // namespace tolvo
