// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/MarkJournal.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>
#include <QStandardPaths>

namespace tolvo {

namespace {
// A journal holds the unsaved marks of one session; anything near this size is no journal of ours.
constexpr qint64 kMaxJournalBytes = 64LL * 1024 * 1024;
} // namespace

MarkJournal::MarkJournal(const QString& folder, const QString& identity)
{
    // The identity may hold any character; its hash makes a file name.
    const QByteArray hash = QCryptographicHash::hash(identity.toUtf8(), QCryptographicHash::Sha1).toHex();
    m_path = QDir(folder).filePath(QString::fromLatin1(hash) + QStringLiteral(".json"));
}

QString MarkJournal::standardFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/marks");
}

std::vector<pdf::MarkEdit> MarkJournal::read() const
{
    std::vector<pdf::MarkEdit> edits;
    QFile file(m_path);
    if (file.size() > kMaxJournalBytes || !file.open(QIODevice::ReadOnly))
        return edits;
    const QJsonArray array = QJsonDocument::fromJson(file.readAll()).object().value(QStringLiteral("edits")).toArray();
    for (const QJsonValue& value : array) {
        const QJsonObject object = value.toObject();
        pdf::MarkEdit edit;
        edit.id = object.value(QStringLiteral("id")).toString();
        edit.pageIndex = object.value(QStringLiteral("page")).toInt(-1);
        if (object.contains(QStringLiteral("mark"))) {
            edit.mark = pdf::Mark::fromJson(object.value(QStringLiteral("mark")).toObject());
            if (!edit.mark || edit.mark->id != edit.id || edit.mark->pageIndex != edit.pageIndex)
                continue;
        }
        if (!edit.id.isEmpty() && edit.pageIndex >= 0)
            edits.push_back(std::move(edit));
    }
    return edits;
}

bool MarkJournal::write(const std::vector<pdf::MarkEdit>& edits) const
{
    if (edits.empty())
        return !QFile::exists(m_path) || QFile::remove(m_path);
    QJsonArray array;
    for (const pdf::MarkEdit& edit : edits) {
        QJsonObject object { { QStringLiteral("id"), edit.id }, { QStringLiteral("page"), edit.pageIndex } };
        if (edit.mark)
            object.insert(QStringLiteral("mark"), edit.mark->toJson());
        array.append(object);
    }
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QJsonDocument(QJsonObject { { QStringLiteral("edits"), array } }).toJson(QJsonDocument::Compact));
    return file.commit();
}

} // namespace tolvo
