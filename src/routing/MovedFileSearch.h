// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The search for PDFs that left the path their reference names: people move
// and rename their files all the time, and links should keep working.

#include <QList>
#include <QString>
#include <QStringList>

namespace tolvo {

struct FileReference;

/// Where to look for moved files, and for how long.
struct SearchScope {
    QString home; ///< the old folder's ancestors are searched up to here
    QStringList usualFolders; ///< searched after the old folders, in order
    int budgetMs = 200; ///< the whole search, for all files looked for at once
    int maxDepth = 6; ///< folders below each starting folder

    /// The user's home, Documents, Downloads and Desktop (XDG user folders) and home.
    static SearchScope standard();
    /// Nowhere: references resolve only at their own path.
    static SearchScope none();
};

/// Looks for every target at once, breadth-first from each target's old folder,
/// then up its ancestors to the home folder, then the usual folders, within the
/// time budget. A file with the target's device and inode (and birth time) wins;
/// else the first PDF of its size or name with its permanent identifier, or (when
/// either has none) with its size and content fingerprint. Gives, per target,
/// the path where it now is, or an empty string.
QStringList findMovedFiles(const QList<FileReference>& targets, const SearchScope& scope);

} // namespace tolvo
