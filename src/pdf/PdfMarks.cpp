// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf/PdfMarks.h"

#include <QJsonArray>
#include <QUuid>

namespace tolvo::pdf {

QRectF Mark::bounds() const
{
    QRectF all;
    for (const QRectF& rect : rects)
        all = all.isNull() ? rect : all.united(rect);
    return all;
}

QJsonObject Mark::toJson() const
{
    QJsonArray boxes;
    for (const QRectF& r : rects)
        boxes.append(QJsonArray { r.x(), r.y(), r.width(), r.height() });
    return QJsonObject { { QStringLiteral("id"), id }, { QStringLiteral("kind"), markKindName(kind) },
        { QStringLiteral("page"), pageIndex }, { QStringLiteral("colour"), colour.name() },
        { QStringLiteral("rects"), boxes }, { QStringLiteral("text"), text }, { QStringLiteral("comment"), comment } };
}

std::optional<Mark> Mark::fromJson(const QJsonObject& object)
{
    Mark mark;
    mark.id = object.value(QStringLiteral("id")).toString();
    const std::optional<MarkKind> kind = markKindFromName(object.value(QStringLiteral("kind")).toString());
    mark.pageIndex = object.value(QStringLiteral("page")).toInt(-1);
    mark.colour = QColor(object.value(QStringLiteral("colour")).toString());
    for (const QJsonValue& value : object.value(QStringLiteral("rects")).toArray()) {
        const QJsonArray box = value.toArray();
        if (box.size() == 4 && box[2].toDouble() > 0 && box[3].toDouble() > 0)
            mark.rects.append(QRectF(box[0].toDouble(), box[1].toDouble(), box[2].toDouble(), box[3].toDouble()));
    }
    mark.text = object.value(QStringLiteral("text")).toString();
    mark.comment = object.value(QStringLiteral("comment")).toString();
    if (mark.id.isEmpty() || !kind || mark.pageIndex < 0 || mark.rects.isEmpty() || !mark.colour.isValid())
        return std::nullopt;
    mark.kind = *kind;
    return mark;
}

QString markKindName(MarkKind kind)
{
    switch (kind) {
    case MarkKind::Highlight:
        return QStringLiteral("Highlight");
    case MarkKind::Underline:
        return QStringLiteral("Underline");
    case MarkKind::StrikeOut:
        return QStringLiteral("StrikeOut");
    case MarkKind::Note:
        return QStringLiteral("Note");
    }
    return QString();
}

std::optional<MarkKind> markKindFromName(const QString& name)
{
    for (MarkKind kind : { MarkKind::Highlight, MarkKind::Underline, MarkKind::StrikeOut, MarkKind::Note })
        if (markKindName(kind) == name)
            return kind;
    return std::nullopt;
}

const std::vector<MarkColour>& markColours()
{
    static const std::vector<MarkColour> colours {
        { QStringLiteral("yellow"), QColor(255, 235, 59) },
        { QStringLiteral("green"), QColor(118, 220, 110) },
        { QStringLiteral("blue"), QColor(100, 181, 246) },
        { QStringLiteral("pink"), QColor(244, 143, 177) },
        { QStringLiteral("orange"), QColor(255, 167, 38) },
    };
    return colours;
}

QColor markColourNamed(const QString& name)
{
    for (const MarkColour& entry : markColours())
        if (entry.name == name)
            return entry.colour;
    return markColours().front().colour;
}

QString markColourName(const QColor& colour)
{
    if (!colour.isValid())
        return QString();
    // Other programs' yellows and greens differ a little from ours; a near one still gets the name.
    constexpr int kNear = 60 * 60;
    QString best;
    int bestDistance = kNear + 1;
    for (const MarkColour& entry : markColours()) {
        const int dr = colour.red() - entry.colour.red(), dg = colour.green() - entry.colour.green(),
                  db = colour.blue() - entry.colour.blue();
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = entry.name;
        }
    }
    return best.isEmpty() ? colour.name() : best;
}

QString newMarkId()
{
    return QStringLiteral("tolvo-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

} // namespace tolvo::pdf
