// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The routing table as rows for the preference window: one row per prefix, its
// PDF's path beside it, in red when the last check found that it reaches no PDF.

#include "routing/PrefixTableText.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <QVariant>

namespace tolvo {

class Defaults;

/// Rows of "routingDictionarySandboxed": column 0 "prefix" (the key), column 1 "path", column 2
/// the other prefixes that open the same PDF (a renamed prefix keeps its old key, so that
/// links already given out keep working).
/// Follows the store: a change made anywhere shows at once.
class RoutingTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { PrefixColumn = 0, PathColumn = 1, AliasColumn = 2 };

    explicit RoutingTableModel(Defaults& defaults, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    /// Dragged rows leave as row text, as copies.
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }

    /// The key of a row, and its stored file reference.
    QString prefixAt(int row) const;
    QVariant referenceAt(int row) const;
    /// The file path of a row as links find it (folder joined with name); empty when damaged.
    QString filePathAt(int row) const;
    /// The rows as copied text (line 2: the file path).
    QList<PrefixRow> rowsAt(const QList<int>& rows) const;

    /// The result of the last check: cells whose text is listed are drawn in red.
    void setInvalidLists(const QStringList& prefixes, const QStringList& paths);

    /// Removes the entries of these prefixes from the store. False when it could not be written.
    bool removePrefixes(const QStringList& prefixes);

    /// Re-reads the table from the store.
    void reload();

private:
    struct Row {
        QString prefix;
        QVariant reference;
        QString displayPath;
        QString filePath;
        QStringList aliases; ///< the other keys of the same file, sorted
    };

    Defaults& m_defaults;
    QList<Row> m_rows;
    QStringList m_invalidPrefixes;
    QStringList m_invalidPaths;
};

} // namespace tolvo
