// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/NotesFiles.h"

#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringDecoder>

namespace tolvo::notesfiles {

QString standardFolder()
{
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty())
        base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return base + QStringLiteral("/Tolvo/notes");
}

QString filePath(const QString& folder, int area)
{
    return folder + QStringLiteral("/notes-%1.html").arg(area + 1);
}

ReadResult read(const QString& path)
{
    ReadResult result;
    QFile file(path);
    if (!file.exists())
        return result;
    if (!file.open(QIODevice::ReadOnly)) {
        result.status = ReadResult::Status::Unreadable;
        result.problem = unwritableReason(QFileInfo(path).absolutePath(), file.errorString());
        return result;
    }
    const QByteArray bytes = file.readAll();
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (utf8.hasError()) {
        result.status = ReadResult::Status::Damaged;
        result.problem = QStringLiteral("it is not UTF-8 text");
    } else if (!text.left(4096).contains(QLatin1String("<html"), Qt::CaseInsensitive)) {
        result.status = ReadResult::Status::Damaged;
        result.problem = text.isEmpty() ? QStringLiteral("it is empty") : QStringLiteral("it is not HTML");
    } else {
        result.status = ReadResult::Status::Read;
        result.html = text;
    }
    return result;
}

QString write(const QString& path, const QString& html)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return unwritableReason(QFileInfo(folder).absolutePath(), QStringLiteral("the folder cannot be made"));
    QSaveFile out(path);
    // Unbuffered: a write that fails only when a buffer is flushed at commit() is not reported by
    // QSaveFile, which would then put a cut-off file in place of the good one.
    if (out.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        const QByteArray bytes = html.toUtf8();
        if (out.write(bytes) == bytes.size() && out.commit())
            return QString();
    }
    QString why = out.errorString();
    if (!why.isEmpty())
        why[0] = why[0].toLower();
    return unwritableReason(folder, why);
}

ReadResult current(const Defaults& defaults, const QString& folder, int area)
{
    ReadResult result = read(filePath(folder, area));
    if (result.status == ReadResult::Status::Missing) {
        result.status = ReadResult::Status::Read;
        result.html = defaults.stringForKey(keys::sharedNotes(area));
    }
    return result;
}

QString setAside(const QString& path)
{
    const QString aside = path + QStringLiteral(".damaged-")
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss-zzz"));
    return QFile::rename(path, aside) ? aside : QString();
}

} // namespace tolvo::notesfiles
