// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The desktop's list of recently used files ($XDG_DATA_HOME/recently-used.xbel), which file
// choosers and launchers show: Tolvo adds each PDF it opens.

#include <QDateTime>
#include <QString>

namespace tolvo {

/// The desktop's list in the user's data folder.
QString recentlyUsedPath();

/// Records that Tolvo opened the file at path, in the list at xbelPath: its bookmark is added,
/// or updated (modified and visited times, Tolvo's count) when there is one. Every other entry
/// stays as it was. The file is written atomically; a list that cannot be read as XML is left
/// alone. False, with the reason in *problem, when nothing was written.
bool addToRecentlyUsed(const QString& xbelPath, const QString& path,
    const QDateTime& now = QDateTime::currentDateTimeUtc(), QString* problem = nullptr);

} // namespace tolvo
