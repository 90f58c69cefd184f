// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How the process allocates page images, so that memory freed with them goes back to the system.

namespace tolvo::pageview {

/// Makes every block of a mebibyte or more (page images, Poppler's bitmaps) a mapping of
/// its own, returned to the system when it is freed. Once per process; later calls do nothing.
void returnLargeBlocksToSystem();

} // namespace tolvo::pageview
