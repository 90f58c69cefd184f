// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/FileNames.h"

#include <QFile>
#include <QHash>
#include <QSaveFile>

#include <algorithm>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tolvo::cli {

namespace {

struct Names {
    QHash<QString, QString> shown; ///< descriptor name to the name as given
    QHash<QString, QByteArray> raw; ///< name as given to its bytes, for names not yet existing
};

Names& names()
{
    static Names registry;
    return registry;
}

// Writes through the bytes of the name: a temporary file beside it, renamed over it when complete.
bool writeRaw(const QByteArray& target, const QByteArray& bytes, QString* error)
{
    QByteArray pattern = target + ".tolvo-XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        written += n;
    }
    const int saved = errno;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const bool ok = written == bytes.size() && ::fchmod(fd, 0666 & ~mask) == 0 && ::close(fd) == 0
        && ::rename(pattern.constData(), target.constData()) == 0;
    if (!ok) {
        *error = QString::fromLocal8Bit(std::strerror(written == bytes.size() ? errno : saved));
        ::unlink(pattern.constData());
    }
    return ok;
}

} // namespace

QString argumentFromBytes(const QByteArray& raw)
{
    const QString decoded = QFile::decodeName(raw);
    if (QFile::encodeName(decoded) == raw)
        return decoded;
    const int fd = ::open(raw.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        names().raw.insert(decoded, raw);
        return decoded;
    }
    // Kept open for the life of the process; the kernel names it for everyone who opens it again.
    const QString alias = QStringLiteral("/proc/self/fd/%1").arg(fd);
    names().shown.insert(alias, decoded);
    return alias;
}

QString shownName(const QString& path)
{
    return names().shown.value(path, path);
}

QString withShownNames(QString text)
{
    if (names().shown.isEmpty() || !text.contains(QLatin1String("/proc/self/fd/")))
        return text;
    QStringList aliases = names().shown.keys();
    // "/proc/self/fd/12" before "/proc/self/fd/1".
    std::sort(aliases.begin(), aliases.end(), [](const QString& a, const QString& b) { return a.size() > b.size(); });
    for (const QString& alias : aliases)
        text.replace(alias, names().shown.value(alias));
    return text;
}

std::optional<QByteArray> readInput(const QString& path, const char* command, Output& io)
{
    QFile file;
    const bool stdinput = path == QLatin1String("-");
    if (stdinput)
        file.open(stdin, QIODevice::ReadOnly);
    else
        file.setFileName(path);
    if (!file.isOpen() && !file.open(QIODevice::ReadOnly)) {
        io.err += QStringLiteral("tolvo-cli: %1: cannot read %2: %3\n")
                      .arg(QLatin1String(command), shownName(path), file.errorString());
        return std::nullopt;
    }
    return file.readAll();
}

int writeOutput(const QString& name, const QByteArray& bytes, const char* command, Output& io)
{
    if (name == QLatin1String("-")) {
        io.binary += bytes;
        return Ok;
    }
    QString error;
    bool ok;
    if (names().raw.contains(name)) {
        ok = writeRaw(names().raw.value(name), bytes, &error);
    } else {
        QSaveFile file(name);
        ok = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
        error = file.errorString();
    }
    if (!ok) {
        io.err += QStringLiteral("tolvo-cli: %1: cannot write %2: %3\n").arg(QLatin1String(command), name, error);
        return FileError;
    }
    return Ok;
}

} // namespace tolvo::cli
