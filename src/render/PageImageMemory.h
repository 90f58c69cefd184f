// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where page images live, so that the memory of one that leaves the page cache goes back to
// the system.

#include <QImage>

namespace tolvo::pageview {

/// A copy of image in a mapping of its own, unmapped when the last copy of the result goes;
/// image itself when it is small or no mapping can be had.
QImage inOwnMapping(const QImage& image);

/// Bytes of the images in mappings of their own now alive, wherever they are held.
qint64 bytesInOwnMappings();

} // namespace tolvo::pageview
