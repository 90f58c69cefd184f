// SPDX-License-Identifier: GPL-3.0-or-later
#include "routing/ReferenceResolver.h"

#include "routing/FileIdentity.h"

namespace tolvo {

QString referenceStateName(ReferenceState state)
{
    switch (state) {
    case ReferenceState::Ok:
        return QStringLiteral("ok");
    case ReferenceState::Moved:
        return QStringLiteral("moved");
    case ReferenceState::Missing:
        return QStringLiteral("missing");
    case ReferenceState::Stale:
        return QStringLiteral("stale");
    case ReferenceState::Invalid:
        return QStringLiteral("invalid");
    }
    return QString();
}

std::optional<FileReference> renewedReference(const FileReference& old, const QString& path)
{
    std::optional<FileReference> renewed = FileReference::make(path);
    if (renewed)
        renewed->assigned = old.assigned;
    return renewed;
}

ResolvedReference resolveFileReference(const QVariant& data, const SearchScope& scope)
{
    return resolveFileReferences(QVariantList { data }, scope).constFirst();
}

QList<ResolvedReference> resolveFileReferences(const QVariantList& data, const SearchScope& scope)
{
    QList<ResolvedReference> results(data.size());
    QList<FileReference> lost;
    QList<qsizetype> lostIndex;
    for (qsizetype i = 0; i < data.size(); ++i) {
        ResolvedReference& r = results[i];
        const std::optional<FileReference> ref = FileReference::fromVariant(data[i]);
        if (!ref)
            continue; // Invalid
        r.recordedPath = ref->path();
        const std::optional<FileStat> now = statFile(r.recordedPath);
        if (now && ref->acceptsFileAtItsPath(*now)) {
            r.state = ReferenceState::Ok;
            r.filePath = r.recordedPath;
            if (!ref->keptIdentity(*now))
                r.renewed = renewedReference(*ref, r.filePath);
            continue;
        }
        // Never the file that now stands at the path: it is another one.
        r.state = now ? ReferenceState::Stale : ReferenceState::Missing;
        lost.append(*ref);
        lostIndex.append(i);
    }
    if (lost.isEmpty())
        return results;

    const QStringList where = findMovedFiles(lost, scope);
    for (qsizetype j = 0; j < lost.size(); ++j) {
        if (where[j].isEmpty())
            continue;
        std::optional<FileReference> renewed = renewedReference(lost[j], where[j]);
        if (!renewed)
            continue;
        ResolvedReference& r = results[lostIndex[j]];
        r.state = ReferenceState::Moved;
        r.filePath = renewed->path();
        r.renewed = std::move(renewed);
    }
    return results;
}

} // namespace tolvo
