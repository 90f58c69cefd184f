// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The text the preference tables copy, paste and drag: one block per row,
// "[prefix]" and the row's key on the first line, the path or file name on the
// second. Also the filter pattern of the routing table.

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace tolvo {

/// One row of a preference table as text: key, and the routing path or matching value.
struct PrefixRow {
    QString key;
    QString value;
    bool operator==(const PrefixRow&) const = default;
};

/// "[prefix]%1\n%2\n" per row, the blocks joined by line breaks (an empty line between rows).
QString prefixRowsText(const QList<PrefixRow>& rows);

/// Hands out keys "aprefix-N", counting from 1, that no entry of the table uses and
/// that were not handed out or reserved before: a generated key never replaces an entry.
class GeneratedKeys {
public:
    explicit GeneratedKeys(const QVariantMap& matching);
    /// Counts key as used (a key that pasted text names itself).
    void reserve(const QString& key);
    QString next();

private:
    bool taken(const QString& key) const;

    QSet<QString> m_taken; // the keys made prefix-safe: "aprefix-1" and "aprefix-1/" are one prefix
    qulonglong m_counter = 1;
};

/// The auto-match entries in pasted or dropped text: a "[prefix]" line names the key of
/// the next line ending in ".pdf" (any case); such a line without one gets a generated key.
/// Lines are trimmed of white space runs; other lines are skipped.
QList<PrefixRow> entriesFromText(const QString& text, GeneratedKeys& keys);

/// The auto-match entries for dropped or pasted files: each PDF under a generated key,
/// by its file name alone when fileNameOnly, else by its path.
QList<PrefixRow> entriesFromFiles(const QStringList& paths, bool fileNameOnly, GeneratedKeys& keys);

/// Whether text merely lists the files (their paths or URLs, one a line): file managers put
/// such text beside the file list, and it must not add each file a second time.
bool textListsOnlyFiles(const QString& text, const QStringList& fileTexts);

/// Whether the whole text matches pattern: "*" any run of characters, "?" one, case-sensitive.
/// An empty pattern matches everything.
bool matchesLikePattern(const QString& text, const QString& pattern);

} // namespace tolvo
