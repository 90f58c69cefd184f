// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The routing table: which PDF each link prefix opens. Kept in the defaults
// store under "routingDictionarySandboxed" as prefix -> file reference.
//
// Every change re-reads the stored table under the store's lock and writes it
// back at once, so two processes assigning prefixes at the same moment both
// keep their entry.

#include "routing/MovedFileSearch.h"
#include "routing/ReferenceResolver.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <functional>
#include <optional>
#include <utility>

namespace tolvo {

class Defaults;

/// Which table rows a check looks at: the preference table passes its search filter.
using RowFilter = std::function<bool(const QString& prefix, const QString& path)>;

class RoutingTable {
public:
    explicit RoutingTable(Defaults& defaults, SearchScope scope = SearchScope::standard());

    /// The table as stored now.
    QVariantMap dictionary() const;
    /// The prefixes in the table's own order, the order in which URLs are cut against them.
    QStringList keys() const;

    /// The prefixes whose reference names exactly this path (compared as text), unless the
    /// file there now is proven to be another document.
    QStringList keysForPath(const QString& pdfPath) const;
    /// The prefixes whose document has left its recorded path and is the file at pdfPath now.
    QStringList keysForMovedFile(const QString& pdfPath) const;
    /// Points these prefixes at the file at pdfPath with a fresh reference (keeping each one's
    /// time of assignment), writing only those whose reference changed. False when the store
    /// could not be written.
    bool renewKeys(const QStringList& keys, const QString& pdfPath);
    /// Of several prefixes naming one PDF, the one assigned last (the user's latest choice).
    std::optional<QString> preferredKey(const QStringList& keys) const;

    struct StoreResult {
        enum class Failure { None, Reference, Write };
        Failure failure = Failure::None;
        QString error; ///< why, for people
        bool ok() const { return failure == Failure::None; }
    };
    /// Puts a fresh reference to the PDF under prefix (replacing what the prefix named) and writes at once.
    StoreResult storePrefix(const QString& prefix, const QString& pdfPath);

    /// The file a prefix names; a file found moved has its entry renewed under the same prefix.
    std::optional<ResolvedReference> resolvePrefix(const QString& key);

    struct Entry {
        QString prefix;
        QVariant stored; ///< the reference as it was read
        ResolvedReference resolved;
        /// The found file's permanent identifier (permanentIdOf) and content fingerprint
        /// (contentFingerprint): those of its reference while the file is untouched since, so
        /// that the file need not be read; empty when it was not found.
        std::pair<QByteArray, QByteArray> documentIdentity() const;
    };
    /// The entries the filter keeps (all without one), resolved with one shared search;
    /// files moved or saved again have their entries renewed (*renewed false when that
    /// could not be written).
    QList<Entry> resolveEntries(const RowFilter& filter = {}, bool* renewed = nullptr);

    /// Writes the renewed references of found files under their prefixes, unless an
    /// entry was changed since it was read. False when the store could not be written.
    bool renew(const QList<Entry>& entries);

    const SearchScope& scope() const { return m_scope; }

private:
    Defaults& m_defaults;
    SearchScope m_scope;
};

} // namespace tolvo
