// SPDX-License-Identifier: GPL-3.0-or-later
// The page image cache holds what its accounting says it holds, within its bound less what is
// reserved for images being drawn, and beyond it only with pinned pages.
#include "render/ImageCache.h"

#include <QtTest>

using tolvo::pageview::ImageCache;
using tolvo::pageview::PageImageKey;

namespace {

constexpr qint64 kImageBytes = 16 * 16 * 4;

PageImageKey keyOf(int page)
{
    return PageImageKey { page, PageImageKey::keyForScale(1.0) };
}

QImage imageOf(int page)
{
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(QColor(page, 0, 0));
    return image;
}

} // namespace

class TestImageCache : public QObject {
    Q_OBJECT

private slots:
    void holdsWhatItCounts_data()
    {
        QTest::addColumn<qint64>("bound");
        QTest::addColumn<QList<int>>("inserted"); // pages, in order
        QTest::addColumn<QList<int>>("pinned");
        QTest::addColumn<qint64>("reserved"); // set after the inserts
        QTest::addColumn<QList<int>>("kept");

        const qint64 one = kImageBytes;
        QTest::newRow("within the bound")
            << 4 * one << QList<int> { 0, 1, 2 } << QList<int> {} << 0LL << QList<int> { 0, 1, 2 };
        QTest::newRow("least recently used out")
            << 2 * one << QList<int> { 0, 1, 2 } << QList<int> {} << 0LL << QList<int> { 1, 2 };
        QTest::newRow("replaced counts once")
            << 4 * one << QList<int> { 0, 0, 0, 1 } << QList<int> {} << 0LL << QList<int> { 0, 1 };
        QTest::newRow("pinned beyond the bound")
            << one << QList<int> { 0, 1, 2 } << QList<int> { 0, 1 } << 0LL << QList<int> { 0, 1 };
        QTest::newRow("zero bound") << 0LL << QList<int> { 0, 1 } << QList<int> {} << 0LL << QList<int> {};
        QTest::newRow("reserved makes room")
            << 4 * one << QList<int> { 0, 1, 2, 3 } << QList<int> {} << 2 * one << QList<int> { 2, 3 };
        QTest::newRow("reserved within what is free")
            << 4 * one << QList<int> { 0, 1 } << QList<int> {} << 2 * one << QList<int> { 0, 1 };
        QTest::newRow("reserved beyond the bound")
            << 2 * one << QList<int> { 0, 1, 2 } << QList<int> { 1 } << 8 * one << QList<int> { 1 };
        QTest::newRow("negative reservation")
            << 2 * one << QList<int> { 0, 1 } << QList<int> {} << -4 * one << QList<int> { 0, 1 };
    }

    void holdsWhatItCounts()
    {
        QFETCH(qint64, bound);
        QFETCH(QList<int>, inserted);
        QFETCH(QList<int>, pinned);
        QFETCH(qint64, reserved);
        QFETCH(QList<int>, kept);

        ImageCache cache(bound);
        QSet<PageImageKey> pins;
        for (int page : pinned)
            pins.insert(keyOf(page));
        cache.setPinned(pins);
        for (int page : inserted)
            cache.insert(keyOf(page), imageOf(page));
        cache.setReservedBytes(reserved);

        QList<int> held;
        qint64 heldBytes = 0;
        for (int page : inserted) {
            if (held.contains(page) || !cache.contains(keyOf(page)))
                continue;
            const QImage image = cache.find(keyOf(page));
            QCOMPARE(image.pixelColor(0, 0).red(), page); // the image put in under that key
            held.append(page);
            heldBytes += ImageCache::bytesOf(image);
        }
        std::sort(held.begin(), held.end());
        QCOMPARE(held, kept);
        QCOMPARE(cache.count(), int(kept.size()));
        QCOMPARE(cache.bytes(), heldBytes);
        if (pinned.isEmpty())
            QVERIFY(cache.bytes() + cache.reservedBytes() <= bound || cache.count() == 0);
    }

    void clearingFreesTheAccount()
    {
        ImageCache cache(8 * kImageBytes);
        cache.insert(keyOf(0), imageOf(0));
        cache.insert(keyOf(1), imageOf(1));
        cache.clear();
        QCOMPARE(cache.bytes(), 0);
        QCOMPARE(cache.count(), 0);
        QVERIFY(cache.findAnyScale(0, PageImageKey::keyForScale(1.0)).isNull());
    }
};

QTEST_GUILESS_MAIN(TestImageCache)
#include "test_image_cache.moc"
