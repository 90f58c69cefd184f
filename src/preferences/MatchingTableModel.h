// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The auto-match table as rows for the preference window: prefix text and the
// file name or path it is prepared for. Rows are added, edited and removed by
// hand, pasted, and dropped as "[prefix]" text or as PDF files.

#include "routing/PrefixTableText.h"

#include <QAbstractTableModel>

class QMimeData;

namespace tolvo {

class Defaults;

/// Rows of "matchingDictionarySandboxed": column 0 the key, column 1 the value. Every
/// change is written to the store at once; writeFailed() tells when it could not be.
class MatchingTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { PrefixColumn = 0, FileColumn = 1 };

    explicit MatchingTableModel(Defaults& defaults, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    /// Editing a key renames the entry (refused when the new key's prefix names another
    /// entry or is empty); editing a value replaces it.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }
    Qt::DropActions supportedDropActions() const override { return Qt::CopyAction; }
    bool canDropMimeData(
        const QMimeData* data, Qt::DropAction action, int row, int column, const QModelIndex& parent) const override;
    /// Plain text if there is some, else the files; true when at least one entry was added.
    bool dropMimeData(
        const QMimeData* data, Qt::DropAction action, int row, int column, const QModelIndex& parent) override;

    /// Both passes of a paste: the text, then the files. The number of entries added.
    int paste(const QMimeData& data);

    /// A new entry under a fresh generated key with an empty file name; its row, or -1.
    int addEntry();
    /// Removes these keys' entries. False when the store could not be written.
    bool removeKeys(const QStringList& keys);
    /// Writes the entries (a key already there takes the new value). False on a write failure.
    bool addEntries(const QList<PrefixRow>& entries);

    QString keyAt(int row) const;
    /// The row of a key, or -1.
    int rowOf(const QString& key) const;
    QList<PrefixRow> rowsAt(const QList<int>& rows) const;

    void reload();

signals:
    /// The store could not be written: the change is lost.
    void writeFailed();
    /// An edit was refused: the key is empty or its prefix is another entry's.
    void editRefused(const QString& reason);

private:
    int passText(const QString& text);
    int passFiles(const QStringList& paths);
    bool update(const std::function<void(QVariantMap&)>& change);

    Defaults& m_defaults;
    QList<PrefixRow> m_rows;
};

/// The local files a drag or paste carries, and the texts (paths and URLs) that name them.
QStringList localFilesOf(const QMimeData& data);

} // namespace tolvo
