// SPDX-License-Identifier: GPL-3.0-or-later
#include "routing/RoutingTable.h"

#include "routing/FileIdentity.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"

#include <QDir>
#include <QFileInfo>

namespace tolvo {

namespace {

QString routingKey()
{
    return QString::fromLatin1(keys::kRoutingDictionary);
}

// Two stored values are the same reference when they parse to the same record
// (the file may have turned numbers into doubles since this process wrote them).
bool sameReference(const QVariant& a, const QVariant& b)
{
    const auto ra = FileReference::fromVariant(a);
    const auto rb = FileReference::fromVariant(b);
    if (!ra || !rb)
        return !ra && !rb && a == b;
    return ra->toData() == rb->toData();
}

} // namespace

RoutingTable::RoutingTable(Defaults& defaults, SearchScope scope)
    : m_defaults(defaults)
    , m_scope(std::move(scope))
{
}

QVariantMap RoutingTable::dictionary() const
{
    return m_defaults.dictionaryForKey(routingKey());
}

QStringList RoutingTable::keys() const
{
    return dictionary().keys();
}

QStringList RoutingTable::keysForPath(const QString& pdfPath) const
{
    QStringList found;
    const std::optional<FileStat> here = statFile(pdfPath);
    const QVariantMap table = dictionary();
    for (auto it = table.cbegin(); it != table.cend(); ++it) {
        const std::optional<FileReference> ref = FileReference::fromVariant(it.value());
        if (!ref || ref->path() != pdfPath)
            continue;
        // Another document put in its place does not take over its links.
        if (here && !ref->acceptsFileAtItsPath(*here))
            continue;
        found.append(it.key());
    }
    return found;
}

QStringList RoutingTable::keysForMovedFile(const QString& pdfPath) const
{
    QStringList found;
    const std::optional<FileStat> opened = statFile(pdfPath);
    if (!opened || !opened->isRegularFile)
        return found;
    const QVariantMap table = dictionary();
    for (auto it = table.cbegin(); it != table.cend(); ++it) {
        const std::optional<FileReference> ref = FileReference::fromVariant(it.value());
        if (!ref || ref->path() == pdfPath || !ref->isSameDocument(pdfPath, *opened))
            continue;
        // A copy of a file that is still in its place does not take over its prefix.
        const std::optional<FileStat> there = statFile(ref->path());
        if (there && ref->acceptsFileAtItsPath(*there))
            continue;
        found.append(it.key());
    }
    return found;
}

bool RoutingTable::renewKeys(const QStringList& keys, const QString& pdfPath)
{
    QList<Entry> entries;
    const QVariantMap table = dictionary();
    for (const QString& key : keys) {
        const std::optional<FileReference> old = FileReference::fromVariant(table.value(key));
        if (!old)
            continue;
        std::optional<FileReference> fresh = renewedReference(*old, pdfPath);
        if (!fresh || fresh->toData() == old->toData())
            continue;
        Entry e { key, table.value(key), {} };
        e.resolved.state = old->path() == fresh->path() ? ReferenceState::Ok : ReferenceState::Moved;
        e.resolved.recordedPath = old->path();
        e.resolved.filePath = fresh->path();
        e.resolved.renewed = std::move(fresh);
        entries.append(std::move(e));
    }
    return renew(entries);
}

std::optional<QString> RoutingTable::preferredKey(const QStringList& candidates) const
{
    if (candidates.isEmpty())
        return std::nullopt;
    const QVariantMap table = dictionary();
    QString best = candidates.first();
    QDateTime bestTime;
    for (const QString& key : candidates) {
        const auto ref = FileReference::fromVariant(table.value(key));
        if (ref && ref->assigned.isValid() && (!bestTime.isValid() || ref->assigned > bestTime)) {
            best = key;
            bestTime = ref->assigned;
        }
    }
    return best;
}

RoutingTable::StoreResult RoutingTable::storePrefix(const QString& prefix, const QString& pdfPath)
{
    StoreResult result;
    if (prefix.isEmpty()) {
        result.failure = StoreResult::Failure::Reference;
        result.error = QStringLiteral("an empty prefix cannot be stored");
        return result;
    }
    QString why;
    const std::optional<FileReference> ref = FileReference::make(pdfPath, &why);
    if (!ref) {
        result.failure = StoreResult::Failure::Reference;
        result.error = why;
        return result;
    }
    const bool written = m_defaults.updateValue(routingKey(), [&](const QVariant& current) {
        QVariantMap table = current.toMap();
        // The latest choice wins among prefixes of one PDF, so two stored within one
        // millisecond must still be ordered: the new one comes strictly after the others.
        FileReference stamped = *ref;
        const QString path = URLPathStringFromBookmarkData(stamped.toVariant()).toString();
        for (auto it = table.cbegin(); it != table.cend(); ++it) {
            if (it.key() == prefix || URLPathStringFromBookmarkData(it.value()).toString() != path)
                continue;
            const auto other = FileReference::fromVariant(it.value());
            if (other && other->assigned.isValid() && other->assigned >= stamped.assigned)
                stamped.assigned = other->assigned.addMSecs(1);
        }
        table.insert(prefix, stamped.toVariant());
        return QVariant(table);
    });
    if (!written) {
        result.failure = StoreResult::Failure::Write;
        result.error = QStringLiteral("cannot write the settings file: ") + m_defaults.writeProblem();
    }
    return result;
}

std::optional<ResolvedReference> RoutingTable::resolvePrefix(const QString& key)
{
    const QList<Entry> entries
        = resolveEntries([&key](const QString& prefix, const QString&) { return prefix == key; });
    if (entries.isEmpty())
        return std::nullopt;
    return entries.constFirst().resolved;
}

std::pair<QByteArray, QByteArray> RoutingTable::Entry::documentIdentity() const
{
    if (!resolved.found())
        return {};
    const QString& path = resolved.filePath;
    const std::optional<FileReference> recorded
        = resolved.renewed ? resolved.renewed : FileReference::fromVariant(stored);
    const std::optional<FileStat> now = statFile(path);
    if (recorded && now && !recorded->fingerprint.isEmpty() && recorded->isUntouched(*now))
        return { recorded->documentId, recorded->fingerprint };
    return { permanentIdOf(path), contentFingerprint(path) };
}

QList<RoutingTable::Entry> RoutingTable::resolveEntries(const RowFilter& filter, bool* renewed)
{
    QList<Entry> entries;
    QVariantList stored;
    const QVariantMap table = dictionary();
    for (auto it = table.cbegin(); it != table.cend(); ++it) {
        if (filter && !filter(it.key(), URLPathStringFromBookmarkData(it.value()).toString()))
            continue;
        entries.append({ it.key(), it.value(), {} });
        stored.append(it.value());
    }
    const QList<ResolvedReference> resolved = resolveFileReferences(stored, m_scope);
    for (qsizetype i = 0; i < entries.size(); ++i)
        entries[i].resolved = resolved[i];
    const bool written = renew(entries);
    if (renewed)
        *renewed = written;
    return entries;
}

bool RoutingTable::renew(const QList<Entry>& entries)
{
    QList<const Entry*> moved;
    for (const Entry& e : entries)
        if (e.resolved.found() && e.resolved.renewed)
            moved.append(&e);
    if (moved.isEmpty())
        return true;
    return m_defaults.updateValue(routingKey(), [&moved](const QVariant& current) {
        QVariantMap table = current.toMap();
        for (const Entry* e : moved)
            if (table.contains(e->prefix) && sameReference(table.value(e->prefix), e->stored))
                table.insert(e->prefix, e->resolved.renewed->toVariant());
        return QVariant(table);
    });
}

} // namespace tolvo
