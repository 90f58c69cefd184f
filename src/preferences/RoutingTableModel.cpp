// SPDX-License-Identifier: GPL-3.0-or-later
#include "preferences/RoutingTableModel.h"

#include "routing/FileReference.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"

#include <QBrush>
#include <QColor>
#include <QMimeData>

#include <algorithm>

namespace tolvo {

namespace {

const QString kRoutingKey = QString::fromLatin1(keys::kRoutingDictionary);

QList<int> distinctRows(const QModelIndexList& indexes)
{
    QList<int> rows;
    for (const QModelIndex& index : indexes)
        if (!rows.contains(index.row()))
            rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

} // namespace

RoutingTableModel::RoutingTableModel(Defaults& defaults, QObject* parent)
    : QAbstractTableModel(parent)
    , m_defaults(defaults)
{
    reload();
    connect(&m_defaults, &Defaults::valueChanged, this, [this](const QString& key) {
        if (key == kRoutingKey)
            reload();
    });
}

void RoutingTableModel::reload()
{
    beginResetModel();
    m_rows.clear();
    const QVariantMap table = m_defaults.dictionaryForKey(kRoutingKey);
    for (auto it = table.cbegin(); it != table.cend(); ++it) {
        const QString display = URLPathStringFromBookmarkData(it.value()).toString();
        const QString file = bookmarkPath(it.value()).value_or(QString());
        m_rows.append({ it.key(), it.value(), display.isEmpty() ? file : display, file, {} });
    }
    for (Row& row : m_rows) {
        if (row.filePath.isEmpty())
            continue;
        for (const Row& other : std::as_const(m_rows))
            if (&other != &row && other.filePath == row.filePath)
                row.aliases.append(other.prefix);
        row.aliases.sort();
    }
    endResetModel();
}

int RoutingTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int RoutingTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 3;
}

QVariant RoutingTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const Row& row = m_rows[index.row()];
    const bool prefixColumn = index.column() == PrefixColumn;
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        if (prefixColumn)
            return row.prefix;
        if (index.column() == AliasColumn) {
            if (role == Qt::ToolTipRole && !row.aliases.isEmpty())
                return tr("Links with these prefixes open the same PDF");
            return row.aliases.join(QStringLiteral(", "));
        }
        if (row.displayPath.isEmpty() && role == Qt::DisplayRole)
            return tr("(damaged file reference)");
        return row.displayPath;
    case Qt::ForegroundRole: {
        const bool invalid
            = prefixColumn ? m_invalidPrefixes.contains(row.prefix) : m_invalidPaths.contains(row.filePath);
        if (invalid)
            return QBrush(Qt::red);
        return {};
    }
    default:
        return {};
    }
}

QVariant RoutingTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case PrefixColumn:
        return tr("Prefix");
    case PathColumn:
        return tr("PDF");
    default:
        return tr("Also opened by");
    }
}

Qt::ItemFlags RoutingTableModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
}

QStringList RoutingTableModel::mimeTypes() const
{
    return { QStringLiteral("text/plain") };
}

QMimeData* RoutingTableModel::mimeData(const QModelIndexList& indexes) const
{
    const QList<int> rows = distinctRows(indexes);
    if (rows.isEmpty())
        return nullptr;
    auto* mime = new QMimeData;
    mime->setText(prefixRowsText(rowsAt(rows)));
    return mime;
}

QString RoutingTableModel::prefixAt(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows[row].prefix : QString();
}

QVariant RoutingTableModel::referenceAt(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows[row].reference : QVariant();
}

QString RoutingTableModel::filePathAt(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows[row].filePath : QString();
}

QList<PrefixRow> RoutingTableModel::rowsAt(const QList<int>& rows) const
{
    QList<PrefixRow> result;
    for (int row : rows)
        if (row >= 0 && row < m_rows.size())
            result.append({ m_rows[row].prefix, m_rows[row].filePath });
    return result;
}

void RoutingTableModel::setInvalidLists(const QStringList& prefixes, const QStringList& paths)
{
    m_invalidPrefixes = prefixes;
    m_invalidPaths = paths;
    if (!m_rows.isEmpty())
        emit dataChanged(index(0, 0), index(int(m_rows.size()) - 1, 1), { Qt::ForegroundRole });
}

bool RoutingTableModel::removePrefixes(const QStringList& prefixes)
{
    if (prefixes.isEmpty())
        return true;
    return m_defaults.updateValue(kRoutingKey, [&prefixes](const QVariant& current) {
        QVariantMap table = current.toMap();
        for (const QString& prefix : prefixes)
            table.remove(prefix);
        return QVariant(table);
    });
}

} // namespace tolvo
