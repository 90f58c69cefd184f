// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Showing a file in the desktop's file manager.

#include <QString>

namespace tolvo {

/// Shows the file selected in its folder through the freedesktop FileManager1
/// service; opens the folder instead when no file manager answers. Returns at
/// once: the file manager is asked without waiting for it.
void revealFile(const QString& path);

} // namespace tolvo
