// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FontWarmUp.h"

#include <fontconfig/fontconfig.h>

namespace tolvo::app {

// Fontconfig's start-up is safe from any thread: when Qt asks for it meanwhile, one of the two
// configurations is kept and both callers get that one.
FontWarmUp::FontWarmUp()
    : m_thread([] { FcInit(); })
{
}

FontWarmUp::~FontWarmUp()
{
    if (m_thread.joinable())
        m_thread.join();
}

} // namespace tolvo::app
