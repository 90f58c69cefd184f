// SPDX-License-Identifier: GPL-3.0-or-later
#include "preferences/MatchingTableModel.h"

#include "links/PathStrings.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"

#include <QMimeData>
#include <QUrl>

#include <algorithm>

namespace tolvo {

namespace {

const QString kMatchingKey = QString::fromLatin1(keys::kMatchingDictionary);

QStringList fileTextsOf(const QMimeData& data)
{
    QStringList texts;
    for (const QUrl& url : data.urls()) {
        if (!url.isLocalFile())
            continue;
        texts << url.toLocalFile() << url.toString() << url.toString(QUrl::FullyEncoded);
    }
    return texts;
}

// The text pass applies unless the text only repeats the file list beside it.
bool hasOwnText(const QMimeData& data)
{
    return data.hasText() && !data.text().trimmed().isEmpty()
        && !(data.hasUrls() && textListsOnlyFiles(data.text(), fileTextsOf(data)));
}

} // namespace

QStringList localFilesOf(const QMimeData& data)
{
    QStringList files;
    for (const QUrl& url : data.urls())
        if (url.isLocalFile())
            files.append(url.toLocalFile());
    return files;
}

MatchingTableModel::MatchingTableModel(Defaults& defaults, QObject* parent)
    : QAbstractTableModel(parent)
    , m_defaults(defaults)
{
    reload();
    connect(&m_defaults, &Defaults::valueChanged, this, [this](const QString& key) {
        if (key == kMatchingKey)
            reload();
    });
}

void MatchingTableModel::reload()
{
    beginResetModel();
    m_rows.clear();
    const QVariantMap table = m_defaults.dictionaryForKey(kMatchingKey);
    for (auto it = table.cbegin(); it != table.cend(); ++it)
        m_rows.append({ it.key(), it.value().toString() });
    endResetModel();
}

int MatchingTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int MatchingTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant MatchingTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    if (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::ToolTipRole)
        return {};
    const PrefixRow& row = m_rows[index.row()];
    return index.column() == PrefixColumn ? row.key : row.value;
}

QVariant MatchingTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    return section == PrefixColumn ? tr("Prefix") : tr("File name or path");
}

Qt::ItemFlags MatchingTableModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemIsDragEnabled
        | Qt::ItemIsDropEnabled;
}

bool MatchingTableModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || index.row() >= m_rows.size())
        return false;
    const QString oldKey = m_rows[index.row()].key;
    const QString text = value.toString().trimmed();
    if (index.column() == FileColumn) {
        if (text == m_rows[index.row()].value)
            return false;
        return update([&](QVariantMap& table) { table.insert(oldKey, text); });
    }
    if (text == oldKey)
        return false;
    const std::optional<QString> prefix = prefixCompatibleString(text);
    if (!prefix) {
        emit editRefused(tr("\"%1\" has no letters or digits to make a prefix of.").arg(text));
        return false;
    }
    for (const PrefixRow& row : std::as_const(m_rows)) {
        if (row.key != oldKey && prefixCompatibleString(row.key) == prefix) {
            emit editRefused(tr("The prefix %1 is already prepared for \"%2\".").arg(*prefix, row.value));
            return false;
        }
    }
    return update([&](QVariantMap& table) {
        const QVariant file = table.take(oldKey);
        table.insert(text, file);
    });
}

QStringList MatchingTableModel::mimeTypes() const
{
    return { QStringLiteral("text/plain"), QStringLiteral("text/uri-list") };
}

QMimeData* MatchingTableModel::mimeData(const QModelIndexList& indexes) const
{
    QList<int> rows;
    for (const QModelIndex& index : indexes)
        if (!rows.contains(index.row()))
            rows.append(index.row());
    if (rows.isEmpty())
        return nullptr;
    std::sort(rows.begin(), rows.end());
    auto* mime = new QMimeData;
    mime->setText(prefixRowsText(rowsAt(rows)));
    return mime;
}

bool MatchingTableModel::canDropMimeData(const QMimeData* data, Qt::DropAction, int, int, const QModelIndex&) const
{
    return data && (data->hasText() || data->hasUrls());
}

bool MatchingTableModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int, int, const QModelIndex&)
{
    if (!data || action == Qt::IgnoreAction)
        return false;
    if (hasOwnText(*data))
        return passText(data->text()) > 0;
    if (data->hasUrls())
        return passFiles(localFilesOf(*data)) > 0;
    return false;
}

int MatchingTableModel::paste(const QMimeData& data)
{
    int added = 0;
    if (hasOwnText(data))
        added += passText(data.text());
    if (data.hasUrls())
        added += passFiles(localFilesOf(data));
    return added;
}

int MatchingTableModel::passText(const QString& text)
{
    GeneratedKeys keys(m_defaults.dictionaryForKey(kMatchingKey));
    const QList<PrefixRow> entries = entriesFromText(text, keys);
    return addEntries(entries) ? int(entries.size()) : 0;
}

int MatchingTableModel::passFiles(const QStringList& paths)
{
    GeneratedKeys keys(m_defaults.dictionaryForKey(kMatchingKey));
    const bool nameOnly = m_defaults.boolForKey(QString::fromLatin1(keys::kAutoMatchOnlyAddFilenameInFinderDrags));
    const QList<PrefixRow> entries = entriesFromFiles(paths, nameOnly, keys);
    return addEntries(entries) ? int(entries.size()) : 0;
}

bool MatchingTableModel::addEntries(const QList<PrefixRow>& entries)
{
    if (entries.isEmpty())
        return true;
    return update([&entries](QVariantMap& table) {
        for (const PrefixRow& entry : entries)
            table.insert(entry.key, entry.value);
    });
}

int MatchingTableModel::addEntry()
{
    GeneratedKeys keys(m_defaults.dictionaryForKey(kMatchingKey));
    const QString key = keys.next();
    if (!addEntries({ { key, QString() } }))
        return -1;
    return rowOf(key);
}

bool MatchingTableModel::removeKeys(const QStringList& keys)
{
    if (keys.isEmpty())
        return true;
    return update([&keys](QVariantMap& table) {
        for (const QString& key : keys)
            table.remove(key);
    });
}

bool MatchingTableModel::update(const std::function<void(QVariantMap&)>& change)
{
    // Under the store's lock, from what the file holds now: another process may have changed the table.
    const bool written = m_defaults.updateValue(kMatchingKey, [&change](const QVariant& current) {
        QVariantMap table = current.toMap();
        change(table);
        return QVariant(table);
    });
    if (!written)
        emit writeFailed();
    return written;
}

QString MatchingTableModel::keyAt(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows[row].key : QString();
}

int MatchingTableModel::rowOf(const QString& key) const
{
    for (qsizetype i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].key == key)
            return int(i);
    return -1;
}

QList<PrefixRow> MatchingTableModel::rowsAt(const QList<int>& rows) const
{
    QList<PrefixRow> result;
    for (int row : rows)
        if (row >= 0 && row < m_rows.size())
            result.append(m_rows[row]);
    return result;
}

} // namespace tolvo
