// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Resolving file references: is the file still where its reference says, has
// it moved, is it gone, or does another file stand at its path now?

#include "routing/FileReference.h"
#include "routing/MovedFileSearch.h"

#include <QList>
#include <QString>
#include <QVariant>

#include <optional>

namespace tolvo {

enum class ReferenceState {
    Ok, ///< the PDF is at its path (perhaps saved again as a new file)
    Moved, ///< gone from its path and found elsewhere by its identity
    Missing, ///< nothing at its path, and not found elsewhere
    Stale, ///< another document stands at its path, and the referenced one was not found
    Invalid, ///< the reference is damaged
};

/// "ok", "moved", "missing", "stale" or "invalid".
QString referenceStateName(ReferenceState state);

/// What resolving one reference found.
struct ResolvedReference {
    ReferenceState state = ReferenceState::Invalid;
    QString recordedPath; ///< the path the reference names; empty when it is damaged
    QString filePath; ///< where the file is now, for Ok and Moved
    /// For Moved, and for Ok when the PDF was saved again as a new file: the reference to
    /// the file where it is now (keeping the time of assignment), to be stored in its place.
    std::optional<FileReference> renewed;

    bool found() const { return state == ReferenceState::Ok || state == ReferenceState::Moved; }
};

/// A fresh reference to the file at path that keeps old's time of assignment; nothing when unreadable.
std::optional<FileReference> renewedReference(const FileReference& old, const QString& path);

/// Resolves one stored reference, searching for it within scope when it left its path.
ResolvedReference resolveFileReference(const QVariant& data, const SearchScope& scope);

/// Resolves many references with one shared search for those that left their paths.
QList<ResolvedReference> resolveFileReferences(const QVariantList& data, const SearchScope& scope);

} // namespace tolvo
