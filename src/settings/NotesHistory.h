// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Earlier versions of each notes area, kept as files beside the notes so that a bad edit can be undone
// days later: <notes folder>/history/N/<yyyyMMdd-hhmmss-zzz>-<kind>.html, the time in UTC.

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace tolvo::noteshistory {

/// Versions taken less than this many days ago are kept; older ones go, but for the newest.
inline constexpr int kKeepDays = 14;
/// At most this many versions of an area: beyond it, the oldest of a day that has others go first.
inline constexpr int kMaxVersions = 60;

enum class Kind {
    Launch, ///< the notes as they were when Tolvo started
    Daily, ///< the notes as they were before the first change of a day
    Restore, ///< the notes as they were before an earlier version (or tolvo-cli) replaced them
};

struct Version {
    QString id; ///< the time part of the file name: 20261208-031800-123
    QDateTime taken; ///< UTC
    Kind kind = Kind::Daily;
    QString path;
};

/// <notesFolder>/history/<area + 1>
QString folder(const QString& notesFolder, int area);
/// "before Tolvo started", "before the day's first change", "before it was replaced".
QString describe(Kind kind);

/// The versions of area, newest first, from their names alone (other files in the folder are passed over).
QList<Version> list(const QString& notesFolder, int area);

struct Checked {
    QList<Version> versions; ///< the intact ones, newest first
    QStringList skipped; ///< one line in plain words per damaged or unreadable version
};
/// The versions of area whose files read as notes; the others are named in skipped.
Checked listChecked(const QString& notesFolder, int area);

/// The version that what names: its id, or its place in versions counted from 1 (the newest).
std::optional<Version> find(const QList<Version>& versions, const QString& what);

/// Keeps html as a version of area taken at now (UTC), unless it equals the newest version already kept;
/// then drops what pruning says. Empty on success (kept or already there), else why not in plain words.
QString keep(const QString& notesFolder, int area, const QString& html, Kind kind, const QDateTime& now);

/// The versions (newest first) that pruning at now drops: those taken more than kKeepDays ago, except the
/// newest of all; of Daily versions, all but the newest of each day; and beyond kMaxVersions, the oldest
/// of days that keep another version, then the oldest.
QList<Version> toPrune(const QList<Version>& versions, const QDateTime& now);
/// Removes the files that toPrune names; how many were removed.
int prune(const QString& notesFolder, int area, const QDateTime& now);

/// Replaces the file of area with the version's text, after keeping the current file as a Restore
/// version. Empty on success, else why not in plain words.
QString restore(const QString& notesFolder, int area, const Version& version, const QDateTime& now);

} // namespace tolvo::noteshistory
