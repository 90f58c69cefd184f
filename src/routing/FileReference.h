// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// File references: what the routing table keeps for each PDF in place of a
// bookmark. A reference records the file's name and folder (readable without
// touching the file) and its identity (device, inode, birth time, size,
// modification time, the PDF's permanent identifier, content fingerprint), so
// that a later look can tell whether the file at that path is still the same
// document. Programs that save a PDF again write a new file and rename it over
// the old one, keeping the permanent identifier: that identifier, not the
// inode or the bytes, is what says "the same document".
//
// Stored as a JSON object; inside the routing dictionary each reference is a
// nested dictionary, so the settings file stays readable. Readers also accept
// the reference as JSON text.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <optional>

namespace tolvo {

struct FileStat;

/// The persistent reference to one file.
struct FileReference {
    QString name; ///< the file name
    QString folder; ///< the parent folder's path; empty when it had none
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedMs = 0;
    std::optional<qint64> bornMs;
    QByteArray fingerprint; ///< see contentFingerprint()
    QByteArray documentId; ///< see permanentIdOf(); empty for a PDF without one
    QDateTime assigned; ///< when the prefix was stored; invalid when unknown

    /// The folder's path joined with the name, or "/" + name without folder.
    QString path() const;

    /// A reference to the file at path (made absolute, symbolic links kept).
    /// Nothing, with a reason in *error, when it is no readable regular file.
    static std::optional<FileReference> make(const QString& path, QString* error = nullptr);
    /// The reference held by a stored value (a dictionary, or JSON text); nothing when damaged.
    static std::optional<FileReference> fromVariant(const QVariant& value);
    static std::optional<FileReference> fromData(const QByteArray& json);

    QVariantMap toVariant() const;
    QByteArray toData() const;

    /// Whether the file system still shows the very file this reference was made for
    /// (device and inode, with birth time, or size and modification time, agreeing).
    bool keptIdentity(const FileStat& now) const;
    /// Whether that file has not been written since either (same size and modification time as
    /// well): its permanent identifier and fingerprint are still the ones recorded here.
    bool isUntouched(const FileStat& now) const;
    /// Whether the file at path (described by now), anywhere, is proven to be this
    /// document: the same file, the same permanent identifier, or the same content.
    /// Reads the identifier and the fingerprint only when the inode cannot tell.
    bool isSameDocument(const QString& path, const FileStat& now) const;
    /// Whether the file now standing at this reference's own path is its PDF: the same
    /// document, or a PDF that cannot be proven another one (only two different
    /// permanent identifiers prove that).
    bool acceptsFileAtItsPath(const FileStat& now) const;
};

/// The path a stored reference names, for display; nothing when it is damaged or has no folder.
std::optional<QString> fullPathFromBookmarkData(const QVariant& data);

/// Value transformer for tables: reference to path string; an invalid QVariant for nothing.
QVariant URLPathStringFromBookmarkData(const QVariant& data);

/// The path a stored reference names, as routing lookup compares it; nothing when damaged.
std::optional<QString> bookmarkPath(const QVariant& data);

} // namespace tolvo
