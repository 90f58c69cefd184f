// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The page view's drawn pages, bounded in bytes, least recently used first out.

#include <QHash>
#include <QImage>
#include <QSet>

#include <list>

namespace tolvo::pageview {

/// A page image's key: the page and its drawing scale in device pixels per point.
struct PageImageKey {
    int pageIndex = -1;
    qint64 scaleKey = 0; ///< the scale in steps of 1/4096, so that equal scales compare equal
    bool operator==(const PageImageKey& other) const = default;
    static qint64 keyForScale(double scale);
    double scale() const { return double(scaleKey) / 4096.0; }
};

size_t qHash(const PageImageKey& key, size_t seed = 0);

class ImageCache {
public:
    explicit ImageCache(qint64 maxBytes);

    /// Changes the bound; evicts at once what no longer fits.
    void setMaxBytes(qint64 maxBytes);
    qint64 maxBytes() const { return m_maxBytes; }
    /// The bytes that the cached images take.
    qint64 bytes() const { return m_bytes; }
    /// Bytes of images being drawn, which will take their place here once they arrive: the cached
    /// images are kept within the bound less these, so that the images held in all stay within it.
    void setReservedBytes(qint64 bytes);
    qint64 reservedBytes() const { return m_reserved; }
    int count() const { return int(m_entries.size()); }

    /// Keys that are never evicted, such as the pages on screen; the bound may be
    /// exceeded only by these (and by the reserved bytes when these take the room).
    void setPinned(const QSet<PageImageKey>& pinned);

    /// Adds or replaces an image and evicts the least recently used others beyond the bound.
    void insert(const PageImageKey& key, const QImage& image);
    /// The image under key, marked as used; null when there is none.
    QImage find(const PageImageKey& key);
    bool contains(const PageImageKey& key) const { return m_index.contains(key); }
    /// An image of the page at any scale, the closest to the given one; null when there is none.
    QImage findAnyScale(int pageIndex, qint64 preferredScaleKey) const;
    void clear();

    static qint64 bytesOf(const QImage& image) { return image.sizeInBytes(); }

private:
    struct Entry {
        PageImageKey key;
        QImage image;
    };
    void evict();

    qint64 m_maxBytes;
    qint64 m_bytes = 0;
    qint64 m_reserved = 0;
    std::list<Entry> m_entries; // most recently used first
    QHash<PageImageKey, std::list<Entry>::iterator> m_index;
    QHash<int, QSet<qint64>> m_scalesOfPage;
    QSet<PageImageKey> m_pinned;
};

} // namespace tolvo::pageview
