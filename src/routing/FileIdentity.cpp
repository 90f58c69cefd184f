// SPDX-License-Identifier: GPL-3.0-or-later
#include "routing/FileIdentity.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

#if defined(Q_OS_LINUX)
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#elif defined(Q_OS_UNIX)
#include <sys/stat.h>
#endif

namespace tolvo {

namespace {

constexpr qint64 kFingerprintChunk = 64 * 1024;

PermanentIdReader& installedReader()
{
    static PermanentIdReader reader;
    return reader;
}

} // namespace

std::optional<FileStat> statFile(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    const QByteArray native = QFile::encodeName(path);
    FileStat s;
#if defined(Q_OS_LINUX)
    struct statx st { };
    const unsigned mask = STATX_TYPE | STATX_INO | STATX_SIZE | STATX_MTIME | STATX_BTIME;
    if (::statx(AT_FDCWD, native.constData(), 0, mask, &st) != 0)
        return std::nullopt;
    s.device = quint64(makedev(st.stx_dev_major, st.stx_dev_minor)); // as stat() reports it
    s.inode = st.stx_ino;
    s.size = qint64(st.stx_size);
    s.modifiedMs = qint64(st.stx_mtime.tv_sec) * 1000 + st.stx_mtime.tv_nsec / 1000000;
    if (st.stx_mask & STATX_BTIME)
        s.bornMs = qint64(st.stx_btime.tv_sec) * 1000 + st.stx_btime.tv_nsec / 1000000;
    s.isRegularFile = S_ISREG(st.stx_mode);
#elif defined(Q_OS_UNIX)
    struct stat st { };
    if (::stat(native.constData(), &st) != 0)
        return std::nullopt;
    s.device = quint64(st.st_dev);
    s.inode = quint64(st.st_ino);
    s.size = qint64(st.st_size);
    s.modifiedMs = QFileInfo(path).lastModified().toMSecsSinceEpoch();
    const QDateTime born = QFileInfo(path).birthTime();
    if (born.isValid())
        s.bornMs = born.toMSecsSinceEpoch();
    s.isRegularFile = S_ISREG(st.st_mode);
#else
    // No inode here: the fingerprint alone tells files apart.
    const QFileInfo info(path);
    if (!info.exists())
        return std::nullopt;
    s.size = info.size();
    s.modifiedMs = info.lastModified().toMSecsSinceEpoch();
    if (info.birthTime().isValid())
        s.bornMs = info.birthTime().toMSecsSinceEpoch();
    s.isRegularFile = info.isFile();
#endif
    return s;
}

QByteArray contentFingerprint(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    const qint64 size = file.size();
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(QByteArray::number(size));
    const QByteArray head = file.read(qMin(size, kFingerprintChunk));
    if (head.size() != qMin(size, kFingerprintChunk))
        return QByteArray();
    hash.addData(head);
    if (size > kFingerprintChunk) {
        const qint64 tailStart = qMax(kFingerprintChunk, size - kFingerprintChunk);
        if (!file.seek(tailStart))
            return QByteArray();
        const QByteArray tail = file.read(size - tailStart);
        if (tail.size() != size - tailStart)
            return QByteArray();
        hash.addData(tail);
    }
    return hash.result().toHex();
}

void setPermanentIdReader(PermanentIdReader reader)
{
    installedReader() = std::move(reader);
}

QByteArray permanentIdOf(const QString& path)
{
    const PermanentIdReader& reader = installedReader();
    return reader ? reader(path) : QByteArray();
}

bool looksLikePdf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return file.read(1024).contains("%PDF-");
}

} // namespace tolvo
