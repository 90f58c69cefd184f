// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where page images live, so that the memory of one that leaves the page cache goes back to
// the system.

#include <QImage>

namespace tolvo::pageview {

/// Makes every block of kLargeBlock bytes or more (the pages drawn at great zooms, Poppler's
/// bitmaps for them) a mapping of its own, returned to the system when it is freed. Once per
/// process; later calls do nothing.
void returnLargeBlocksToSystem();
constexpr qsizetype kLargeBlock = 4 * 1024 * 1024;

/// image in a mapping of its own, unmapped when the last copy of the result goes: a copy for
/// the sizes of a page at ordinary zooms, image itself when it is small or already in a mapping
/// of its own (see returnLargeBlocksToSystem()), or when no mapping can be had.
QImage inOwnMapping(const QImage& image);

/// Bytes of the images that inOwnMapping() copied, now alive wherever they are held.
qint64 bytesInOwnMappings();

} // namespace tolvo::pageview
