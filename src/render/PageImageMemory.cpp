// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/PageImageMemory.h"

#include <mutex>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace tolvo::pageview {

namespace {
constexpr int kOwnMappingFrom = 1024 * 1024;
} // namespace

void returnLargeBlocksToSystem()
{
    static std::once_flag once;
    std::call_once(once, [] {
#if defined(__GLIBC__)
        // Page images are made on the rendering workers and freed on the window's thread. glibc
        // raises its mapping threshold to the size of every large block freed, so that after the
        // first page image the next ones come from the workers' heaps, which only shrink from the
        // top: scrolling through a long PDF left some 100 MB beyond the page cache that way, and 60
        // windows opened and closed kept half as much again as the first. A fixed threshold also
        // stops that raising. Its price is the zeroing of each new image's pages, paid by the workers.
        mallopt(M_MMAP_THRESHOLD, kOwnMappingFrom);
#endif
    });
}

} // namespace tolvo::pageview
