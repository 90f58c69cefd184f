// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// tolvo --benchmark-open FILE: how long from starting the process to a window
// showing the first page of a PDF.

namespace tolvo {

class DocumentController;

/// When the first document window opened through `documents` has drawn its first
/// pages, prints the milliseconds since the process started on standard output and
/// ends the process at once (the whole run, seen from outside, ends there too). A
/// PDF not shown within a minute ends it with status 1.
void quitWhenFirstPageShown(DocumentController& documents);

} // namespace tolvo
