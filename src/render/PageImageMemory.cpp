// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/PageImageMemory.h"

#include <QColorSpace>

#include <sys/mman.h>

#include <atomic>
#include <cstring>
#include <mutex>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace tolvo::pageview {

namespace {

// Smaller images are few (thumbnails, tiny zooms) and the heap serves them well.
constexpr qsizetype kOwnMappingFrom = 512 * 1024;

std::atomic<qint64> mappedBytes { 0 };

struct Mapping {
    void* address;
    std::size_t bytes;
};

void unmap(void* info)
{
    auto* mapping = static_cast<Mapping*>(info);
    munmap(mapping->address, mapping->bytes);
    mappedBytes.fetch_sub(qint64(mapping->bytes), std::memory_order_relaxed);
    delete mapping;
}

} // namespace

// Page images are drawn on the rendering workers, kept in the page cache for a while, and freed
// on the window's thread. From the heap, each would sit in a worker's arena between the
// short-lived blocks of the drawings after it, and an arena only shrinks from its top: scrolling
// through a long PDF kept some 100 MB beyond the cache that way. So the images that are kept get
// mappings of their own.
//
// glibc also raises its mapping threshold to the size of every large block freed, up to 32 MiB,
// after which Poppler's bitmaps for great zooms come from the heaps as well: sixty windows opened
// and closed kept 40 % more than the first. A fixed threshold stops that raising. It is not lower
// because every block above it is a fresh mapping, zeroed page by page: at 1 MiB, the bitmaps of
// every ordinary drawing were, and drawing took nearly twice as long.
void returnLargeBlocksToSystem()
{
    static std::once_flag once;
    std::call_once(once, [] {
#if defined(__GLIBC__)
        mallopt(M_MMAP_THRESHOLD, int(kLargeBlock));
#endif
    });
}

QImage inOwnMapping(const QImage& image)
{
    const qsizetype bytes = image.sizeInBytes();
    if (image.isNull() || bytes < kOwnMappingFrom || bytes >= kLargeBlock || image.colorCount() > 0)
        return image;
    void* address = mmap(nullptr, std::size_t(bytes), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (address == MAP_FAILED)
        return image;
    mappedBytes.fetch_add(bytes, std::memory_order_relaxed);
    std::memcpy(address, image.constBits(), std::size_t(bytes));
    QImage kept(static_cast<uchar*>(address), image.width(), image.height(), image.bytesPerLine(), image.format(),
        unmap, new Mapping { address, std::size_t(bytes) });
    kept.setDevicePixelRatio(image.devicePixelRatio());
    kept.setDotsPerMeterX(image.dotsPerMeterX());
    kept.setDotsPerMeterY(image.dotsPerMeterY());
    kept.setColorSpace(image.colorSpace());
    return kept;
}

qint64 bytesInOwnMappings()
{
    return mappedBytes.load(std::memory_order_relaxed);
}

} // namespace tolvo::pageview
