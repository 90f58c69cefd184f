// SPDX-License-Identifier: GPL-3.0-or-later
#include "routing/FileReference.h"

#include "routing/FileIdentity.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

namespace tolvo {

namespace {

const QString kPath = QStringLiteral("path");
const QString kName = QStringLiteral("name");
const QString kFolder = QStringLiteral("folder");
const QString kDevice = QStringLiteral("device");
const QString kInode = QStringLiteral("inode");
const QString kSize = QStringLiteral("size");
const QString kModified = QStringLiteral("modified");
const QString kBorn = QStringLiteral("born");
const QString kFingerprint = QStringLiteral("fingerprint");
const QString kAssigned = QStringLiteral("assigned");
const QString kDocumentId = QStringLiteral("documentId");

// Identifiers are short (16 bytes as written by most programs); a longer one is kept up to this.
constexpr qsizetype kMaxDocumentIdHex = 512;

QString joinPath(const QString& folder, const QString& name)
{
    if (folder.isEmpty())
        return QLatin1Char('/') + name;
    if (folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

QString timeText(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC).toString(Qt::ISODateWithMs);
}

std::optional<qint64> readTime(const QVariant& v)
{
    if (v.typeId() != QMetaType::QString)
        return std::nullopt;
    const QDateTime t = QDateTime::fromString(v.toString(), Qt::ISODateWithMs);
    if (!t.isValid())
        return std::nullopt;
    return t.toMSecsSinceEpoch();
}

// Device and inode numbers are written as decimal text: they may exceed what a JSON number holds exactly.
std::optional<quint64> readNumberText(const QVariant& v)
{
    if (v.typeId() != QMetaType::QString)
        return std::nullopt;
    bool ok = false;
    const quint64 n = v.toString().toULongLong(&ok, 10);
    if (!ok)
        return std::nullopt;
    return n;
}

std::optional<qint64> readSize(const QVariant& v)
{
    bool ok = false;
    const double d = v.toDouble(&ok);
    if (!ok || v.typeId() == QMetaType::QString || v.typeId() == QMetaType::Bool || d < 0 || d > 9007199254740992.0
        || d != double(qint64(d)))
        return std::nullopt;
    return qint64(d);
}

bool isLowerHex(const QString& text)
{
    for (QChar c : text)
        if (!((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('a') && c <= QLatin1Char('f'))))
            return false;
    return true;
}

bool isHexFingerprint(const QString& text)
{
    return text.size() == 40 && isLowerHex(text);
}

bool isDocumentId(const QString& text)
{
    return !text.isEmpty() && text.size() <= kMaxDocumentIdHex && text.size() % 2 == 0 && isLowerHex(text);
}

} // namespace

QString FileReference::path() const
{
    return joinPath(folder, name);
}

std::optional<FileReference> FileReference::make(const QString& path, QString* error)
{
    const auto fail = [error](const QString& why) -> std::optional<FileReference> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    if (path.isEmpty())
        return fail(QStringLiteral("no file given"));
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const std::optional<FileStat> st = statFile(absolute);
    if (!st)
        return fail(QStringLiteral("no file at %1").arg(absolute));
    if (!st->isRegularFile)
        return fail(QStringLiteral("%1 is not a regular file").arg(absolute));
    const QByteArray fingerprint = contentFingerprint(absolute);
    if (fingerprint.isEmpty())
        return fail(QStringLiteral("cannot read %1").arg(absolute));

    const QFileInfo info(absolute);
    FileReference ref;
    ref.name = info.fileName();
    ref.folder = info.absolutePath();
    ref.device = st->device;
    ref.inode = st->inode;
    ref.size = st->size;
    ref.modifiedMs = st->modifiedMs;
    ref.bornMs = st->bornMs;
    ref.fingerprint = fingerprint;
    ref.documentId = permanentIdOf(absolute);
    ref.assigned = QDateTime::currentDateTimeUtc();
    return ref;
}

std::optional<FileReference> FileReference::fromVariant(const QVariant& value)
{
    if (value.typeId() == QMetaType::QString)
        return fromData(value.toString().toUtf8());
    if (value.typeId() == QMetaType::QByteArray)
        return fromData(value.toByteArray());
    if (value.typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    const QVariantMap map = value.toMap();

    FileReference ref;
    const QVariant name = map.value(kName);
    const QVariant folder = map.value(kFolder, QString());
    if (name.typeId() != QMetaType::QString || folder.typeId() != QMetaType::QString)
        return std::nullopt;
    ref.name = name.toString();
    ref.folder = folder.toString();
    if (ref.name.isEmpty() || ref.name.contains(QLatin1Char('/')) || ref.name == QLatin1String(".")
        || ref.name == QLatin1String(".."))
        return std::nullopt;
    if (!ref.folder.isEmpty() && !QDir::isAbsolutePath(ref.folder))
        return std::nullopt;
    // The path is written for people reading the file; one that disagrees was edited by hand.
    if (map.contains(kPath) && map.value(kPath).toString() != ref.path())
        return std::nullopt;

    const auto device = readNumberText(map.value(kDevice));
    const auto inode = readNumberText(map.value(kInode));
    const auto size = readSize(map.value(kSize));
    const auto modified = readTime(map.value(kModified));
    const QString fingerprint = map.value(kFingerprint).toString();
    if (!device || !inode || !size || !modified || !isHexFingerprint(fingerprint))
        return std::nullopt;
    ref.device = *device;
    ref.inode = *inode;
    ref.size = *size;
    ref.modifiedMs = *modified;
    ref.fingerprint = fingerprint.toLatin1();
    if (map.contains(kBorn)) {
        const auto born = readTime(map.value(kBorn));
        if (!born)
            return std::nullopt;
        ref.bornMs = born;
    }
    if (map.contains(kDocumentId)) {
        const QVariant id = map.value(kDocumentId);
        if (id.typeId() != QMetaType::QString || !isDocumentId(id.toString()))
            return std::nullopt;
        ref.documentId = id.toString().toLatin1();
    }
    if (map.contains(kAssigned)) {
        const auto assigned = readTime(map.value(kAssigned));
        if (assigned)
            ref.assigned = QDateTime::fromMSecsSinceEpoch(*assigned, Qt::UTC);
    }
    return ref;
}

std::optional<FileReference> FileReference::fromData(const QByteArray& json)
{
    QJsonParseError error {};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (!doc.isObject())
        return std::nullopt;
    return fromVariant(doc.object().toVariantMap());
}

QVariantMap FileReference::toVariant() const
{
    QVariantMap map;
    map.insert(kPath, path());
    map.insert(kName, name);
    map.insert(kFolder, folder);
    map.insert(kDevice, QString::number(device));
    map.insert(kInode, QString::number(inode));
    map.insert(kSize, size);
    map.insert(kModified, timeText(modifiedMs));
    if (bornMs)
        map.insert(kBorn, timeText(*bornMs));
    map.insert(kFingerprint, QString::fromLatin1(fingerprint));
    if (!documentId.isEmpty())
        map.insert(kDocumentId, QString::fromLatin1(documentId));
    if (assigned.isValid())
        map.insert(kAssigned, timeText(assigned.toMSecsSinceEpoch()));
    return map;
}

QByteArray FileReference::toData() const
{
    return QJsonDocument(QJsonObject::fromVariantMap(toVariant())).toJson(QJsonDocument::Compact);
}

bool FileReference::keptIdentity(const FileStat& now) const
{
    if (!now.isRegularFile || now.device != device || now.inode != inode || inode == 0)
        return false;
    // Inode numbers are reused after a delete; the birth time tells a new file from this one.
    if (bornMs && now.bornMs)
        return *bornMs == *now.bornMs;
    return now.size == size && now.modifiedMs == modifiedMs;
}

bool FileReference::isUntouched(const FileStat& now) const
{
    return keptIdentity(now) && now.size == size && now.modifiedMs == modifiedMs;
}

bool FileReference::isSameDocument(const QString& path, const FileStat& now) const
{
    if (!now.isRegularFile)
        return false;
    if (keptIdentity(now))
        return true;
    if (!documentId.isEmpty()) {
        const QByteArray id = permanentIdOf(path);
        if (!id.isEmpty())
            return id == documentId;
    }
    // Without identifiers, a copy (another disk, a restore from backup) is the same PDF when its content is.
    return now.size == size && contentFingerprint(path) == fingerprint;
}

bool FileReference::acceptsFileAtItsPath(const FileStat& now) const
{
    const QString here = path();
    if (!now.isRegularFile)
        return false;
    if (keptIdentity(now))
        return true;
    if (!documentId.isEmpty()) {
        const QByteArray id = permanentIdOf(here);
        if (!id.isEmpty())
            return id == documentId;
    }
    if (now.size == size && contentFingerprint(here) == fingerprint)
        return true;
    // Saved again by a program that writes no identifier, or first saved without one: nothing
    // proves it another document, and refusing it would break its links for good.
    return looksLikePdf(here);
}

std::optional<QString> fullPathFromBookmarkData(const QVariant& data)
{
    const auto ref = FileReference::fromVariant(data);
    if (!ref || ref->folder.isEmpty())
        return std::nullopt;
    return ref->path();
}

QVariant URLPathStringFromBookmarkData(const QVariant& data)
{
    const auto path = fullPathFromBookmarkData(data);
    return path ? QVariant(*path) : QVariant();
}

std::optional<QString> bookmarkPath(const QVariant& data)
{
    const auto ref = FileReference::fromVariant(data);
    if (!ref)
        return std::nullopt;
    return ref->path();
}

} // namespace tolvo
