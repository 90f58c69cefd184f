// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The logging category of the PDF services, and the routing of Poppler's own
// error printing into it.

#include <QLoggingCategory>

namespace tolvo::pdf {

/// "tolvo.pdf": Poppler's complaints about a file go here at debug level (off unless
/// QT_LOGGING_RULES enables "tolvo.pdf.debug"); our own reports at info level.
Q_DECLARE_LOGGING_CATEGORY(lcPdf)

/// Sends the messages of Poppler (core and Qt wrapper) to lcPdf instead of stderr. Idempotent, thread-safe.
void routePopplerMessages();

} // namespace tolvo::pdf
