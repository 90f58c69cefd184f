// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What tells one file apart from another: where it lives on disk (device and
// inode, with its birth time against inode reuse) and a cheap fingerprint of
// its content.

#include <QByteArray>
#include <QString>

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

/// SHA-1 (hex) of the first and last 64 KiB of the file, with its size mixed in; empty when unreadable.
/// Reads at most 128 KiB, so a fingerprint costs about the same for any size of PDF.
QByteArray contentFingerprint(const QString& path);

/// Whether the bytes start like a PDF ("%PDF-" within the first 1024 bytes).
bool looksLikePdf(const QString& path);

} // namespace tolvo
