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
    Ok, ///< the file is at its path
    Moved, ///< gone from its path and found elsewhere by its identity
    Missing, ///< nothing at its path, and not found elsewhere
    Stale, ///< another file stands at its path, and the referenced one was not found
    Invalid, ///< the reference is damaged
};

/// "ok", "moved", "missing", "stale" or "invalid".
QString referenceStateName(ReferenceState state);

/// What resolving one reference found.
struct ResolvedReference {
    ReferenceState state = ReferenceState::Invalid;
    QString recordedPath; ///< the path the reference names; empty when it is damaged
    QString filePath; ///< where the file is now, for Ok and Moved
    /// For Moved: the reference to the file at its new place (keeping the time of assignment).
    std::optional<FileReference> renewed;

    bool found() const { return state == ReferenceState::Ok || state == ReferenceState::Moved; }
};

/// Resolves one stored reference, searching for it within scope when it left its path.
ResolvedReference resolveFileReference(const QVariant& data, const SearchScope& scope);

/// Resolves many references with one shared search for those that left their paths.
QList<ResolvedReference> resolveFileReferences(const QVariantList& data, const SearchScope& scope);

} // namespace tolvo
