// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Fontconfig reads its configuration and font caches the first time any text is
// measured, which is in the middle of building the first window. Started on a
// thread of its own before Qt, it is done by then, on the other core.

#include <thread>

namespace tolvo::app {

/// Runs fontconfig's start-up on a thread for as long as it lives; waits for it when it goes.
class FontWarmUp {
public:
    FontWarmUp();
    ~FontWarmUp();
    FontWarmUp(const FontWarmUp&) = delete;
    FontWarmUp& operator=(const FontWarmUp&) = delete;

private:
    std::thread m_thread;
};

} // namespace tolvo::app
