// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The end of the process that the user did not ask for in a window: SIGTERM (logout, shutdown, kill),
// SIGINT, SIGHUP, and the session manager's request to save data.

#include <functional>

namespace tolvo {

/// From now on, SIGTERM, SIGINT and SIGHUP run saveAndQuit on the main thread (the signal handler only
/// writes a byte to a pipe), and the session manager's commitDataRequest runs save. Call once, on the
/// main thread, after the application object exists.
void installTerminationHandlers(std::function<void()> save, std::function<void()> saveAndQuit);

} // namespace tolvo
