// SPDX-License-Identifier: GPL-3.0-or-later
#include "routing/FileIdentity.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <mutex>

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

// Identifiers read lately, each with the stat of its file at the time.
struct KnownIds {
    struct Entry {
        FileStat stat;
        QByteArray id;
    };
    static constexpr qsizetype kMaxEntries = 256;
    std::mutex mutex;
    QHash<QString, Entry> entries;
};

KnownIds& knownIds()
{
    static KnownIds known;
    return known;
}

void keepId(const QString& path, const FileStat& stat, const QByteArray& id)
{
    KnownIds& known = knownIds();
    const std::lock_guard lock(known.mutex);
    // A handful of windows and a routing check ask; a full table is simply started again.
    if (known.entries.size() >= KnownIds::kMaxEntries)
        known.entries.clear();
    known.entries.insert(path, KnownIds::Entry { stat, id });
}

} // namespace

bool sameFile(const FileStat& a, const FileStat& b)
{
    return a.device == b.device && a.inode == b.inode && a.size == b.size && a.modifiedMs == b.modifiedMs
        && a.bornMs == b.bornMs && a.isRegularFile == b.isRegularFile;
}

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
    KnownIds& known = knownIds();
    const std::lock_guard lock(known.mutex);
    known.entries.clear();
}

QByteArray permanentIdOf(const QString& path)
{
    const PermanentIdReader& reader = installedReader();
    if (!reader)
        return QByteArray();
    const std::optional<FileStat> before = statFile(path);
    if (!before || !before->isRegularFile)
        return reader(path);
    {
        KnownIds& known = knownIds();
        const std::lock_guard lock(known.mutex);
        const auto it = known.entries.constFind(path);
        if (it != known.entries.cend() && sameFile(it->stat, *before))
            return it->id;
    }
    const QByteArray id = reader(path);
    notePermanentId(path, *before, id);
    return id;
}

void notePermanentId(const QString& path, const FileStat& before, const QByteArray& id)
{
    // Changed while it was read: the answer may be of either version, so it is not kept.
    const std::optional<FileStat> after = statFile(path);
    if (after && sameFile(before, *after))
        keepId(path, before, id);
}

bool looksLikePdf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return file.read(1024).contains("%PDF-");
}

} // namespace tolvo
