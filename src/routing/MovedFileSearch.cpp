// SPDX-License-Identifier: GPL-3.0-or-later
#include "routing/MovedFileSearch.h"

#include "routing/FileIdentity.h"
#include "routing/FileReference.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QHash>
#include <QQueue>
#include <QStandardPaths>

#include <algorithm>

#if defined(Q_OS_UNIX)
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace tolvo {

namespace {

bool isInside(const QString& path, const QString& folder)
{
    if (folder.isEmpty())
        return false;
    if (path == folder)
        return true;
    const QString withSlash = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    return path.startsWith(withSlash);
}

// Old folders first (where a file most often goes is next door), the user's
// usual folders after them, the whole home folder last.
QStringList searchRoots(const QList<FileReference>& targets, const SearchScope& scope)
{
    const QString home = scope.home.isEmpty() ? QString() : QDir::cleanPath(scope.home);
    QStringList roots;
    const auto add = [&roots](const QString& path) {
        if (path.isEmpty())
            return;
        const QString clean = QDir::cleanPath(path);
        if (!roots.contains(clean))
            roots.append(clean);
    };
    for (const FileReference& t : targets) {
        QString dir = QDir::cleanPath(t.folder.isEmpty() ? QStringLiteral("/") : t.folder);
        if (dir == home)
            continue;
        add(dir);
        if (!isInside(dir, home))
            continue;
        for (;;) {
            const QString up = QFileInfo(dir).path();
            if (up == dir || up == home || !isInside(up, home))
                break;
            add(up);
            dir = up;
        }
    }
    for (const QString& folder : scope.usualFolders)
        if (QDir::cleanPath(folder) != home)
            add(folder);
    add(home);
    return roots;
}

struct DirKey {
    quint64 device;
    quint64 inode;
    bool operator==(const DirKey&) const = default;
};

size_t qHash(const DirKey& k, size_t seed = 0)
{
    return qHashMulti(seed, k.device, k.inode);
}

bool sameIdentity(const FileReference& t, const FileStat& st, const QString& path)
{
    if (t.inode == 0 || st.inode != t.inode || st.device != t.device || !st.isRegularFile)
        return false;
    return t.isSameDocument(path, st);
}

// Calls visit(name, isDirectory, inode or 0) for each entry of a folder but hidden
// ones and symbolic links (a link to a folder could lead round in a circle) until it
// returns false.
template <typename Visit> void forEachEntry(const QString& dir, Visit visit)
{
#if defined(Q_OS_UNIX)
    DIR* d = ::opendir(QFile::encodeName(dir).constData());
    if (!d)
        return;
    while (const dirent* e = ::readdir(d)) {
        if (e->d_name[0] == '.')
            continue;
        bool isDir = e->d_type == DT_DIR;
        bool isFile = e->d_type == DT_REG;
        if (e->d_type == DT_UNKNOWN) {
            struct stat st { };
            if (::fstatat(::dirfd(d), e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            isDir = S_ISDIR(st.st_mode);
            isFile = S_ISREG(st.st_mode);
        }
        if ((isDir || isFile) && !visit(QFile::decodeName(e->d_name), isDir, quint64(e->d_ino)))
            break;
    }
    ::closedir(d);
#else
    QDirIterator it(dir, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    while (it.hasNext()) {
        it.next();
        if (!visit(it.fileName(), it.fileInfo().isDir(), quint64(0)))
            break;
    }
#endif
}

} // namespace

SearchScope SearchScope::standard()
{
    SearchScope scope;
    scope.home = QDir::homePath();
    for (auto location :
        { QStandardPaths::DocumentsLocation, QStandardPaths::DownloadLocation, QStandardPaths::DesktopLocation }) {
        const QString folder = QStandardPaths::writableLocation(location);
        if (!folder.isEmpty())
            scope.usualFolders.append(folder);
    }
    scope.usualFolders.append(scope.home);
    return scope;
}

SearchScope SearchScope::none()
{
    SearchScope scope;
    scope.budgetMs = 0;
    return scope;
}

QStringList findMovedFiles(const QList<FileReference>& targets, const SearchScope& scope)
{
    QStringList found;
    for (qsizetype i = 0; i < targets.size(); ++i)
        found.append(QString());
    if (targets.isEmpty() || scope.budgetMs <= 0)
        return found;

    QElapsedTimer clock;
    clock.start();
    // Most of the time goes to the walk; the rest reads fingerprints of files of the right size.
    const qint64 walkBudget = qMax<qint64>(1, scope.budgetMs * 4 / 5);

    // Files that may be the target: PDFs of its size (a copy), and PDFs of its name (saved again
    // after the move, which keeps the permanent identifier but not the size).
    QList<QStringList> candidates(targets.size());
    qsizetype open = targets.size();
    QHash<DirKey, int> explored; // folder -> depth left when it was walked

    const QStringList roots = searchRoots(targets, scope);
    for (const QString& root : roots) {
        if (open == 0 || clock.elapsed() >= walkBudget)
            break;
        QQueue<std::pair<QString, int>> queue;
        queue.enqueue({ root, scope.maxDepth });
        while (!queue.isEmpty() && open > 0 && clock.elapsed() < walkBudget) {
            // Plain names, not a structured binding: clang 14 (the fuzz build) cannot capture one.
            const std::pair<QString, int> next = queue.dequeue();
            const QString& dir = next.first;
            const int depthLeft = next.second;
            const std::optional<FileStat> dirStat = statFile(dir);
            if (!dirStat)
                continue;
            const DirKey key { dirStat->device, dirStat->inode };
            if (dirStat->inode != 0) {
                auto it = explored.constFind(key);
                if (it != explored.constEnd() && *it >= depthLeft)
                    continue;
                explored.insert(key, depthLeft);
            }
            forEachEntry(dir, [&](const QString& name, bool isDir, quint64 inode) {
                if (open == 0 || clock.elapsed() >= walkBudget)
                    return false;
                const QString path = dir.endsWith(QLatin1Char('/')) ? dir + name : dir + QLatin1Char('/') + name;
                if (isDir) {
                    if (depthLeft > 0)
                        queue.enqueue({ path, depthLeft - 1 });
                    return true;
                }
                // Other files are looked at only when their inode is one looked for: most of a
                // home folder is no PDF, and the listing already gives the inode.
                const bool pdfName = name.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive);
                if (!pdfName && !std::any_of(targets.cbegin(), targets.cend(), [inode](const FileReference& t) {
                        return inode == 0 || t.inode == inode;
                    }))
                    return true;
                const std::optional<FileStat> st = statFile(path);
                if (!st || !st->isRegularFile)
                    return true;
                for (qsizetype i = 0; i < targets.size(); ++i) {
                    const FileReference& t = targets[i];
                    if (!found[i].isEmpty() || path == t.path())
                        continue;
                    if (sameIdentity(t, *st, path)) {
                        found[i] = path;
                        --open;
                    } else if (pdfName && (st->size == t.size || (!t.documentId.isEmpty() && name == t.name))
                        && !candidates[i].contains(path)) {
                        candidates[i].append(path);
                    }
                }
                return true;
            });
        }
    }

    // No file kept its inode: the same permanent identifier comes next, then a copy with the same content.
    QHash<QString, QByteArray> fingerprints;
    QHash<QString, QByteArray> documentIds;
    const auto cached = [](QHash<QString, QByteArray>& cache, const QString& path, auto read) {
        auto it = cache.find(path);
        if (it == cache.end())
            it = cache.insert(path, read(path));
        return *it;
    };
    for (qsizetype i = 0; i < targets.size(); ++i) {
        if (!found[i].isEmpty())
            continue;
        const FileReference& t = targets[i];
        for (const QString& candidate : std::as_const(candidates[i])) {
            if (clock.elapsed() >= scope.budgetMs)
                break;
            if (!t.documentId.isEmpty()) {
                const QByteArray id = cached(documentIds, candidate, permanentIdOf);
                if (!id.isEmpty()) {
                    if (id != t.documentId)
                        continue;
                    found[i] = candidate;
                    break;
                }
            }
            const std::optional<FileStat> st = statFile(candidate);
            if (!st || st->size != t.size)
                continue;
            const QByteArray fingerprint = cached(fingerprints, candidate, contentFingerprint);
            if (!fingerprint.isEmpty() && fingerprint == t.fingerprint) {
                found[i] = candidate;
                break;
            }
        }
    }
    return found;
}

} // namespace tolvo
