// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What tells one file apart from another: where it lives on disk (device and
// inode, with its birth time against inode reuse), the PDF's permanent
// identifier, and a cheap fingerprint of its content.

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

namespace tolvo {

/// The identity of a file as the file system reports it.
struct FileStat {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedMs = 0;
    std::optional<qint64> bornMs; ///< nothing where the file system keeps no birth time
    bool isRegularFile = false;
};

/// The identity of the file at path, following symbolic links; nothing when nothing is there.
std::optional<FileStat> statFile(const QString& path);

/// Whether two stats are of the same version of the same file.
bool sameFile(const FileStat& a, const FileStat& b);

/// SHA-1 (hex) of the first and last 64 KiB of the file, with its size mixed in; empty when unreadable.
/// Reads at most 128 KiB, so a fingerprint costs about the same for any size of PDF.
QByteArray contentFingerprint(const QString& path);

/// Reads a PDF's permanent identifier: the first string of its trailer's /ID, which
/// programs keep when they save the document again, as lower-case hex; empty when
/// the file has none or is no readable PDF.
using PermanentIdReader = std::function<QByteArray(const QString& path)>;

/// Installs the reader for the whole process. Programs that read PDFs install one at
/// start; without one every file counts as having no identifier.
void setPermanentIdReader(PermanentIdReader reader);

/// The permanent identifier of the PDF at path, through the installed reader. Each answer
/// is kept while the file's stat stays the same: opening a window asks for it more than
/// once, and each reading parses the PDF's cross-reference data again. Any thread.
QByteArray permanentIdOf(const QString& path);

/// Tells permanentIdOf() the identifier of the file at path, read by whoever had it open
/// already; `before` is the file's stat from before that reading, and the answer is kept
/// only when the file has not changed since.
void notePermanentId(const QString& path, const FileStat& before, const QByteArray& id);

/// Whether the bytes start like a PDF ("%PDF-" within the first 1024 bytes).
bool looksLikePdf(const QString& path);

} // namespace tolvo
