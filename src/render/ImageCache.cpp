// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/ImageCache.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tolvo::pageview {

qint64 PageImageKey::keyForScale(double scale)
{
    return std::llround(scale * 4096.0);
}

size_t qHash(const PageImageKey& key, size_t seed)
{
    return ::qHash(qint64(key.pageIndex) * 1000003 ^ key.scaleKey, seed);
}

ImageCache::ImageCache(qint64 maxBytes)
    : m_maxBytes(maxBytes)
{
}

void ImageCache::setMaxBytes(qint64 maxBytes)
{
    m_maxBytes = maxBytes;
    evict();
}

void ImageCache::setReservedBytes(qint64 bytes)
{
    m_reserved = std::max<qint64>(0, bytes);
    evict();
}

void ImageCache::setPinned(const QSet<PageImageKey>& pinned)
{
    m_pinned = pinned;
    evict();
}

void ImageCache::insert(const PageImageKey& key, const QImage& image)
{
    if (auto it = m_index.find(key); it != m_index.end()) {
        m_bytes -= bytesOf(it.value()->image);
        m_entries.erase(it.value());
        m_index.erase(it);
    }
    m_entries.push_front(Entry { key, image });
    m_index.insert(key, m_entries.begin());
    m_scalesOfPage[key.pageIndex].insert(key.scaleKey);
    m_bytes += bytesOf(image);
    evict();
}

QImage ImageCache::find(const PageImageKey& key)
{
    auto it = m_index.find(key);
    if (it == m_index.end())
        return QImage();
    m_entries.splice(m_entries.begin(), m_entries, it.value());
    return m_entries.front().image;
}

QImage ImageCache::findAnyScale(int pageIndex, qint64 preferredScaleKey) const
{
    auto scales = m_scalesOfPage.constFind(pageIndex);
    if (scales == m_scalesOfPage.constEnd() || scales->isEmpty())
        return QImage();
    qint64 best = -1;
    for (qint64 s : *scales)
        if (best < 0 || std::llabs(s - preferredScaleKey) < std::llabs(best - preferredScaleKey))
            best = s;
    return m_index.value(PageImageKey { pageIndex, best })->image;
}

void ImageCache::clear()
{
    m_entries.clear();
    m_index.clear();
    m_scalesOfPage.clear();
    m_bytes = 0;
}

void ImageCache::evict()
{
    auto it = m_entries.end();
    while (m_bytes + m_reserved > m_maxBytes && it != m_entries.begin()) {
        --it;
        if (m_pinned.contains(it->key))
            continue;
        m_bytes -= bytesOf(it->image);
        m_index.remove(it->key);
        auto scales = m_scalesOfPage.find(it->key.pageIndex);
        scales->remove(it->key.scaleKey);
        if (scales->isEmpty())
            m_scalesOfPage.erase(scales);
        it = m_entries.erase(it);
    }
}

} // namespace tolvo::pageview
