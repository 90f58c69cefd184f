// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/FirstViewMemory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

#include <cmath>
#include <vector>

namespace tolvo {

namespace {

// Anything bigger is not ours and is not read.
constexpr qint64 kMaxFileBytes = 64 * 1024;

QJsonArray pair(double a, double b)
{
    return QJsonArray { a, b };
}

bool positivePair(const QJsonValue& value, double* a, double* b)
{
    const QJsonArray array = value.toArray();
    if (array.size() != 2 || !array[0].isDouble() || !array[1].isDouble())
        return false;
    *a = array[0].toDouble();
    *b = array[1].toDouble();
    return std::isfinite(*a) && std::isfinite(*b) && *a > 0 && *b > 0 && *a < 1e6 && *b < 1e6;
}

QJsonObject toJson(const ShownView& view)
{
    QJsonObject o { { QStringLiteral("window"), pair(view.window.width(), view.window.height()) },
        { QStringLiteral("viewport"), pair(view.viewport.width(), view.viewport.height()) },
        { QStringLiteral("dpi"), view.logicalDpi }, { QStringLiteral("dpr"), view.devicePixelRatio } };
    if (view.asked.isValid())
        o.insert(QStringLiteral("asked"), pair(view.asked.width(), view.asked.height()));
    return o;
}

std::optional<ShownView> fromJson(const QJsonValue& value)
{
    const QJsonObject o = value.toObject();
    ShownView view;
    double w = 0, h = 0;
    if (!positivePair(o.value(QStringLiteral("window")), &w, &h))
        return std::nullopt;
    view.window = QSize(int(w), int(h));
    if (!positivePair(o.value(QStringLiteral("viewport")), &w, &h))
        return std::nullopt;
    view.viewport = QSizeF(w, h);
    if (o.contains(QStringLiteral("asked"))) {
        if (!positivePair(o.value(QStringLiteral("asked")), &w, &h))
            return std::nullopt;
        view.asked = QSize(int(w), int(h));
    }
    view.logicalDpi = o.value(QStringLiteral("dpi")).toDouble(0);
    view.devicePixelRatio = o.value(QStringLiteral("dpr")).toDouble(0);
    if (!(view.logicalDpi > 0 && view.logicalDpi < 10000 && view.devicePixelRatio > 0 && view.devicePixelRatio < 100))
        return std::nullopt;
    return view;
}

std::vector<ShownView> readViews(const QString& path)
{
    std::vector<ShownView> views;
    QFile file(path);
    if (file.size() > kMaxFileBytes || !file.open(QIODevice::ReadOnly))
        return views;
    for (const QJsonValue& value :
        QJsonDocument::fromJson(file.readAll()).object().value(QStringLiteral("views")).toArray())
        if (const std::optional<ShownView> view = fromJson(value))
            views.push_back(*view);
    return views;
}

} // namespace

FirstViewMemory::FirstViewMemory(QString path)
    : m_path(std::move(path))
{
}

QString FirstViewMemory::standardPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
        + QStringLiteral("/Tolvo/first-view.json");
}

std::optional<ShownView> FirstViewMemory::viewFor(const QSize& asked) const
{
    const std::vector<ShownView> views = readViews(m_path);
    for (const ShownView& view : views)
        if (view.asked == asked)
            return view;
    if (!asked.isValid() || views.empty())
        return std::nullopt;
    // The panes beside the pages keep their widths as a window opens at another size.
    ShownView grown = views.front();
    const QSize more = asked - grown.window;
    grown.asked = asked;
    grown.window = asked;
    grown.viewport += QSizeF(more);
    if (grown.viewport.isEmpty())
        return std::nullopt;
    return grown;
}

bool FirstViewMemory::remember(const ShownView& view)
{
    std::vector<ShownView> views = readViews(m_path);
    if (!views.empty() && views.front() == view)
        return true;
    std::erase_if(views, [&](const ShownView& v) { return v.asked == view.asked; });
    views.insert(views.begin(), view);
    if (views.size() > std::size_t(kMaxViews))
        views.resize(kMaxViews);
    QJsonArray array;
    for (const ShownView& v : views)
        array.append(toJson(v));
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    // Written in place, without waiting for the disk: this happens as a window shows, and a file
    // left half written is only a memory that is not read.
    QFile file(m_path);
    const QByteArray json
        = QJsonDocument(QJsonObject { { QStringLiteral("views"), array } }).toJson(QJsonDocument::Compact);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(json) == json.size();
}

} // namespace tolvo
