// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Ends a worker's reading of a page early once nobody wants it any more. Poppler
// reads a page's text by interpreting all of its drawing, which for some damaged or
// hostile pages takes seconds; a window that closes must not wait for that. A
// worker opens a scope around its reads, and the text extraction asks the scope
// between drawing operations. A read that ended early gives no text and is never cached.

#include <functional>

namespace tolvo::pdf {

/// Within its lifetime, on the thread that made it, page reads end as soon as shouldAbort says true.
/// Scopes nest; the innermost one is asked.
class AbortScope {
public:
    explicit AbortScope(std::function<bool()> shouldAbort);
    ~AbortScope();
    AbortScope(const AbortScope&) = delete;
    AbortScope& operator=(const AbortScope&) = delete;

private:
    std::function<bool()> m_shouldAbort;
    const AbortScope* m_outer;
    friend bool abortRequested();
};

/// Whether the innermost scope of this thread wants its reads to end; false without a scope.
bool abortRequested();

} // namespace tolvo::pdf
