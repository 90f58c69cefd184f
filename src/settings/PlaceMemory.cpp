// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/PlaceMemory.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QSaveFile>
#include <QStandardPaths>

#include <cmath>

Q_LOGGING_CATEGORY(lcPlaces, "tolvo.places")

namespace tolvo {

namespace {

// A memory file beyond this is no memory of ours: it is left alone rather than read.
constexpr qint64 kMaxFileBytes = 16 * 1024 * 1024;

QJsonObject toJson(const QString& identity, const QString& path, const RememberedPlace& place)
{
    QJsonObject o { { QStringLiteral("id"), identity }, { QStringLiteral("path"), path },
        { QStringLiteral("page"), place.pageIndex }, { QStringLiteral("scale"), place.scale },
        { QStringLiteral("fit"), place.autoScales }, { QStringLiteral("mode"), place.displayMode },
        { QStringLiteral("book"), place.book } };
    if (place.point) {
        o.insert(QStringLiteral("x"), place.point->x());
        o.insert(QStringLiteral("y"), place.point->y());
    }
    if (place.windowSize.isValid()) {
        o.insert(QStringLiteral("width"), place.windowSize.width());
        o.insert(QStringLiteral("height"), place.windowSize.height());
    }
    return o;
}

std::optional<RememberedPlace> fromJson(const QJsonObject& o)
{
    RememberedPlace place;
    place.pageIndex = o.value(QStringLiteral("page")).toInt(-1);
    if (place.pageIndex < 0)
        return std::nullopt;
    const QJsonValue x = o.value(QStringLiteral("x")), y = o.value(QStringLiteral("y"));
    if (x.isDouble() && y.isDouble() && std::isfinite(x.toDouble()) && std::isfinite(y.toDouble()))
        place.point = QPointF(x.toDouble(), y.toDouble());
    place.scale = o.value(QStringLiteral("scale")).toDouble(1);
    if (!std::isfinite(place.scale) || place.scale <= 0)
        place.scale = 1;
    place.autoScales = o.value(QStringLiteral("fit")).toBool(true);
    place.displayMode = o.value(QStringLiteral("mode")).toInt(0);
    place.book = o.value(QStringLiteral("book")).toBool(false);
    const int width = o.value(QStringLiteral("width")).toInt(0), height = o.value(QStringLiteral("height")).toInt(0);
    if (width > 0 && height > 0)
        place.windowSize = QSize(width, height);
    return place;
}

} // namespace

struct PlaceMemory::Contents {
    QJsonArray places; ///< newest first
    QStringList recent; ///< newest first
    bool readable = true; ///< false: the file is there but could not be read, and is not written over
};

PlaceMemory::PlaceMemory(QString path)
    : m_path(std::move(path))
{
}

QString PlaceMemory::standardPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/places.json");
}

PlaceMemory::Contents PlaceMemory::read() const
{
    Contents contents;
    QFile file(m_path);
    if (!file.exists())
        return contents;
    if (file.size() > kMaxFileBytes || !file.open(QIODevice::ReadOnly)) {
        m_problem = QStringLiteral("%1 cannot be read").arg(m_path);
        contents.readable = false;
        return contents;
    }
    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(file.readAll(), &error);
    if (!json.isObject()) {
        // A damaged memory is kept aside and starts afresh: places are a comfort, not data.
        const QString aside = m_path + QStringLiteral(".damaged-")
            + QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddThhmmss"));
        file.close();
        QFile::rename(m_path, aside);
        m_problem = QStringLiteral("%1 was damaged (%2); it was kept as %3").arg(m_path, error.errorString(), aside);
        qCWarning(lcPlaces).noquote() << m_problem;
        return contents;
    }
    const QJsonObject root = json.object();
    contents.places = root.value(QStringLiteral("places")).toArray();
    for (const QJsonValue& v : root.value(QStringLiteral("recent")).toArray())
        if (v.isString() && !v.toString().isEmpty())
            contents.recent << v.toString();
    return contents;
}

bool PlaceMemory::write(const Contents& contents)
{
    if (!contents.readable)
        return false;
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSaveFile file(m_path);
    const QJsonObject root { { QStringLiteral("places"), contents.places },
        { QStringLiteral("recent"), QJsonArray::fromStringList(contents.recent) } };
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(root).toJson(QJsonDocument::Compact)) < 0
        || !file.commit()) {
        m_problem = QStringLiteral("%1 could not be written: %2").arg(m_path, file.errorString());
        qCWarning(lcPlaces).noquote() << m_problem;
        return false;
    }
    m_problem.clear();
    return true;
}

std::optional<RememberedPlace> PlaceMemory::place(const QString& identity) const
{
    if (identity.isEmpty())
        return std::nullopt;
    for (const QJsonValue& v : read().places)
        if (v.toObject().value(QStringLiteral("id")).toString() == identity)
            return fromJson(v.toObject());
    return std::nullopt;
}

bool PlaceMemory::remember(const QString& identity, const QString& path, const RememberedPlace& place)
{
    if (identity.isEmpty())
        return false;
    Contents contents = read();
    QJsonArray places { toJson(identity, path, place) };
    for (const QJsonValue& v : std::as_const(contents.places)) {
        if (places.size() >= kMaxPlaces)
            break;
        if (v.isObject() && v.toObject().value(QStringLiteral("id")).toString() != identity)
            places.append(v);
    }
    contents.places = places;
    return write(contents);
}

QStringList PlaceMemory::recentFiles() const
{
    return read().recent.mid(0, kMaxRecentFiles);
}

bool PlaceMemory::addRecentFile(const QString& path)
{
    Contents contents = read();
    contents.recent.removeAll(path);
    contents.recent.prepend(path);
    contents.recent = contents.recent.mid(0, kMaxRecentFiles);
    return write(contents);
}

bool PlaceMemory::removeRecentFile(const QString& path)
{
    Contents contents = read();
    contents.recent.removeAll(path);
    return write(contents);
}

bool PlaceMemory::clearRecentFiles()
{
    Contents contents = read();
    contents.recent.clear();
    return write(contents);
}

} // namespace tolvo
