// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/NotesHistory.h"

#include "settings/NotesFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace tolvo::noteshistory {

namespace {

const QString kTimeFormat = QStringLiteral("yyyyMMdd-hhmmss-zzz");

QString kindWord(Kind kind)
{
    switch (kind) {
    case Kind::Launch:
        return QStringLiteral("launch");
    case Kind::Daily:
        return QStringLiteral("daily");
    case Kind::Restore:
        return QStringLiteral("restore");
    }
    return QString();
}

std::optional<Version> fromName(const QString& dir, const QString& name)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{8}-\\d{6}-\\d{3})-(launch|daily|restore)\\.html$"));
    const QRegularExpressionMatch match = pattern.match(name);
    if (!match.hasMatch())
        return std::nullopt;
    QDateTime taken = QDateTime::fromString(match.captured(1), kTimeFormat);
    if (!taken.isValid())
        return std::nullopt;
    taken.setTimeSpec(Qt::UTC);
    Version v;
    v.id = match.captured(1);
    v.taken = taken;
    const QString kind = match.captured(2);
    v.kind = kind == QLatin1String("launch") ? Kind::Launch
        : kind == QLatin1String("restore")   ? Kind::Restore
                                             : Kind::Daily;
    v.path = dir + u'/' + name;
    return v;
}

} // namespace

QString folder(const QString& notesFolder, int area)
{
    return notesFolder + QStringLiteral("/history/%1").arg(area + 1);
}

QString describe(Kind kind)
{
    switch (kind) {
    case Kind::Launch:
        return QStringLiteral("before Tolvo started");
    case Kind::Daily:
        return QStringLiteral("before the day's first change");
    case Kind::Restore:
        return QStringLiteral("before it was replaced");
    }
    return QString();
}

QList<Version> list(const QString& notesFolder, int area)
{
    const QString dir = folder(notesFolder, area);
    QList<Version> versions;
    for (const QString& name : QDir(dir).entryList(QDir::Files))
        if (std::optional<Version> v = fromName(dir, name))
            versions.append(*v);
    std::sort(versions.begin(), versions.end(), [](const Version& a, const Version& b) { return a.id > b.id; });
    return versions;
}

Checked listChecked(const QString& notesFolder, int area)
{
    Checked checked;
    for (const Version& v : list(notesFolder, area)) {
        const notesfiles::ReadResult read = notesfiles::read(v.path);
        if (read.status == notesfiles::ReadResult::Status::Read)
            checked.versions.append(v);
        else if (read.status != notesfiles::ReadResult::Status::Missing)
            checked.skipped.append(QStringLiteral("version %1 of notes area %2 is skipped: %3 (%4)")
                                       .arg(v.id, QString::number(area + 1), read.problem, v.path));
    }
    return checked;
}

std::optional<Version> find(const QList<Version>& versions, const QString& what)
{
    bool isNumber = false;
    const int place = what.toInt(&isNumber);
    if (isNumber && !what.startsWith(u'0') && place >= 1)
        return place <= versions.size() ? std::optional<Version>(versions[place - 1]) : std::nullopt;
    for (const Version& v : versions)
        if (v.id == what || QFileInfo(v.path).fileName() == what)
            return v;
    return std::nullopt;
}

QString keep(const QString& notesFolder, int area, const QString& html, Kind kind, const QDateTime& now)
{
    const QList<Version> versions = list(notesFolder, area);
    if (!versions.isEmpty()) {
        const notesfiles::ReadResult newest = notesfiles::read(versions.first().path);
        if (newest.status == notesfiles::ReadResult::Status::Read && newest.html == html)
            return QString();
    }
    const QString dir = folder(notesFolder, area);
    QDateTime at = now.toUTC();
    // Two versions within one millisecond (a restore right after a start) get times of their own.
    QString path;
    for (;;) {
        path = dir + QStringLiteral("/%1-%2.html").arg(at.toString(kTimeFormat), kindWord(kind));
        const bool taken = std::any_of(
            versions.cbegin(), versions.cend(), [&](const Version& v) { return v.id == at.toString(kTimeFormat); });
        if (!taken && !QFileInfo::exists(path))
            break;
        at = at.addMSecs(1);
    }
    const QString problem = notesfiles::write(path, html);
    if (!problem.isEmpty())
        return problem;
    prune(notesFolder, area, now);
    return QString();
}

QList<Version> toPrune(const QList<Version>& versions, const QDateTime& now)
{
    const QDateTime oldest = now.addDays(-kKeepDays);
    QList<Version> kept;
    QList<Version> dropped;
    QSet<QDate> dailyDays;
    for (qsizetype i = 0; i < versions.size(); ++i) {
        const Version& v = versions[i];
        const QDate day = v.taken.toLocalTime().date();
        const bool tooOld = i > 0 && v.taken < oldest;
        const bool anotherThatDay = v.kind == Kind::Daily && dailyDays.contains(day);
        if (v.kind == Kind::Daily)
            dailyDays.insert(day);
        (tooOld || anotherThatDay ? dropped : kept).append(v);
    }
    while (kept.size() > kMaxVersions) {
        QHash<QDate, int> perDay;
        for (const Version& v : std::as_const(kept))
            ++perDay[v.taken.toLocalTime().date()];
        qsizetype drop = kept.size() - 1; // the oldest, when every day has one version only
        for (qsizetype i = kept.size() - 1; i > 0; --i) {
            if (perDay.value(kept[i].taken.toLocalTime().date()) > 1) {
                drop = i;
                break;
            }
        }
        dropped.append(kept.takeAt(drop));
    }
    std::sort(dropped.begin(), dropped.end(), [](const Version& a, const Version& b) { return a.id > b.id; });
    return dropped;
}

int prune(const QString& notesFolder, int area, const QDateTime& now)
{
    int removed = 0;
    for (const Version& v : toPrune(list(notesFolder, area), now))
        removed += QFile::remove(v.path) ? 1 : 0;
    return removed;
}

QString restore(const QString& notesFolder, int area, const Version& version, const QDateTime& now)
{
    const notesfiles::ReadResult chosen = notesfiles::read(version.path);
    if (chosen.status != notesfiles::ReadResult::Status::Read)
        return chosen.status == notesfiles::ReadResult::Status::Missing ? QStringLiteral("the version is gone")
                                                                        : chosen.problem;
    const QString path = notesfiles::filePath(notesFolder, area);
    const notesfiles::ReadResult current = notesfiles::read(path);
    if (current.status == notesfiles::ReadResult::Status::Read) {
        // A restore is never a loss: what it replaces becomes a version first.
        const QString why = keep(notesFolder, area, current.html, Kind::Restore, now);
        if (!why.isEmpty())
            return why;
    }
    return notesfiles::write(path, chosen.html);
}

} // namespace tolvo::noteshistory
