// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// tolvo --benchmark-open FILE: how long from starting the process to a window
// showing the first page of a PDF.

#include <QString>

namespace tolvo {

/// Milliseconds since this process started, from the kernel's record of its start
/// (10 ms steps); negative when that record cannot be read.
double millisecondsSinceProcessStart();

/// Opens the PDF in a document window; when its first page has been drawn, prints the
/// milliseconds since the process started on standard output and quits. Needs the
/// QApplication made and runs its event loop. Returns the exit status: 0 done, 1 the
/// PDF could not be opened or shown within a minute.
int runBenchmarkOpen(const QString& path);

} // namespace tolvo
