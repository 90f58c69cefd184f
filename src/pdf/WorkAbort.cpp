// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf/WorkAbort.h"

namespace tolvo::pdf {

namespace {
thread_local const AbortScope* innermost = nullptr;
}

AbortScope::AbortScope(std::function<bool()> shouldAbort)
    : m_shouldAbort(std::move(shouldAbort))
    , m_outer(innermost)
{
    innermost = this;
}

AbortScope::~AbortScope()
{
    innermost = m_outer;
}

bool abortRequested()
{
    return innermost && innermost->m_shouldAbort && innermost->m_shouldAbort();
}

} // namespace tolvo::pdf
