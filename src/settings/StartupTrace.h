// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The steps from start to the first page on screen, for the open benchmark: with
// QT_LOGGING_RULES="tolvo.startup.debug=true" each step is logged with the
// milliseconds since the process started. Off, a step costs one flag test.
#include <QLoggingCategory>

namespace tolvo {

Q_DECLARE_LOGGING_CATEGORY(lcStartup)

/// Milliseconds since this process started, from the kernel's record of its start
/// (10 ms steps, so only differences between two readings are exact); negative when
/// that record cannot be read.
double millisecondsSinceProcessStart();

/// Logs a step of the start-up when the category is on. Any thread.
void startupStep(const char* step);

} // namespace tolvo
