// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/LabelOverlay.h"

#include "render/DisplaySpace.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSvgRenderer>

#include <algorithm>
#include <mutex>

// Resources of a static library are registered by hand (outside any namespace).
static void initPageviewResources()
{
    Q_INIT_RESOURCE(pageview);
}

namespace tolvo::pageview {

QString pageLabelLocationForOption(const QString& option, const QString& current)
{
    if (option == QLatin1String("Top Right"))
        return QString::fromLatin1(kLocationTopRight);
    if (option == QLatin1String("Top Left"))
        return QString::fromLatin1(kLocationTopLeft);
    if (option == QLatin1String("Bottom Left"))
        return QString::fromLatin1(kLocationBottomLeft);
    if (option == QLatin1String("Bottom Right"))
        return QString::fromLatin1(kLocationBottomRight);
    if (option == QLatin1String("Hide"))
        return QString::fromLatin1(kLocationNone);
    return current;
}

BoxDivisors boxDivisorsForOption(const QString& option)
{
    if (option == QLatin1String("Small"))
        return BoxDivisors { 5, 22 };
    if (option == QLatin1String("Large"))
        return BoxDivisors { 3, 18 };
    return BoxDivisors { 4, 20 };
}

QRectF labelBoxRect(const QRectF& pageBox, const QString& location, BoxDivisors divisors)
{
    const double ox = pageBox.x();
    const double oy = pageBox.y();
    const double w = pageBox.width();
    const double h = pageBox.height();
    const double dx = divisors.width;
    const double dy = divisors.height;
    // The corner factors in single precision, as the box has always been placed.
    const float fx = 1.0f - 1.0f / float(dx);
    const float fy = 1.0f - 1.0f / float(dy);
    QPointF corner;
    if (location == QLatin1String(kLocationTopRight))
        corner = QPointF(ox + w * double(fx), oy + h * double(fy));
    else if (location == QLatin1String(kLocationTopLeft))
        corner = QPointF(ox, oy + h * double(fy));
    else if (location == QLatin1String(kLocationBottomLeft))
        corner = QPointF(ox, oy);
    else
        corner = QPointF(ox + w * double(fx), oy);
    return QRectF(corner, QSizeF(w / dx, h / dy));
}

QTransform transformForPage(const pdf::PageGeometry& geometry)
{
    const QRectF box = geometry.cropBox;
    const double w = box.width();
    const double h = box.height();
    // Each step acts on points before the steps already in the transform.
    QTransform t;
    switch (normalizedRotation(geometry.rotation)) {
    case 90:
        t.rotate(-90);
        t.translate(-w, 0);
        break;
    case 180:
        t.rotate(180);
        t.translate(-w, -h);
        break;
    case 270:
        t.rotate(90);
        t.translate(0, -h);
        break;
    default:
        break;
    }
    t.translate(-box.x(), -box.y());
    return t;
}

QTransform transformForPageInDisplaySpace(const pdf::PageGeometry& geometry)
{
    return transformForPage(geometry) * QTransform(1, 0, 0, -1, 0, displaySizeOf(geometry).height());
}

QString resolvedFontFamily(const QString& fontName)
{
    static std::mutex mutex;
    static QHash<QString, QString> resolved;
    std::lock_guard lock(mutex);
    if (auto it = resolved.constFind(fontName); it != resolved.constEnd())
        return *it;
    QString family;
    if (QFontDatabase::hasFamily(fontName)) {
        family = fontName;
    } else {
        for (const char* candidate : { "DejaVu Sans", "Liberation Sans", "Noto Sans", "Cantarell", "Arial" })
            if (QFontDatabase::hasFamily(QString::fromLatin1(candidate))) {
                family = QString::fromLatin1(candidate);
                break;
            }
        if (family.isEmpty())
            family = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    }
    resolved.insert(fontName, family);
    return family;
}

namespace {

// The next installed weight above the regular one, as a font manager converts a font
// one step heavier; bold when the family has none.
QFont::Weight heavierWeight(const QString& family)
{
    static std::mutex mutex;
    static QHash<QString, QFont::Weight> weights;
    std::lock_guard lock(mutex);
    if (auto it = weights.constFind(family); it != weights.constEnd())
        return *it;
    int best = 0;
    for (const QString& style : QFontDatabase::styles(family)) {
        if (QFontDatabase::italic(family, style))
            continue;
        const int weight = QFontDatabase::weight(family, style);
        if (weight > QFont::Normal && (best == 0 || weight < best))
            best = weight;
    }
    const QFont::Weight weight = best > 0 ? QFont::Weight(best) : QFont::Bold;
    weights.insert(family, weight);
    return weight;
}

} // namespace

QFont labelFont(const QString& fontName, int size, bool heavier)
{
    const QString family = resolvedFontFamily(fontName);
    QFont font(family);
    // Pixel sizes: one unit of the page space the box is drawn in, whatever the device.
    font.setPixelSize(std::max(1, size));
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setWeight(heavier ? heavierWeight(family) : QFont::Normal);
    return font;
}

double fontSizeForAreaSize(const QSizeF& areaSize, const QString& text, const QString& fontName)
{
    if (areaSize.width() == 0 && areaSize.height() == 0)
        return 0;
    // Nothing but these three decide the answer, so it is found once.
    static std::mutex mutex;
    static QHash<QString, double> answers;
    const QString key = QStringLiteral("%1|%2|%3|%4")
                            .arg(areaSize.width(), 0, 'g', 17)
                            .arg(areaSize.height(), 0, 'g', 17)
                            .arg(fontName, text);
    {
        std::lock_guard lock(mutex);
        if (auto it = answers.constFind(key); it != answers.constEnd())
            return *it;
    }
    // The answer is two below the first size whose text overflows the box. Text grows with its
    // size, so the sizes on either side of where one size's text puts it are all that need
    // measuring: each size measured is a font made, which a window's first page waits for.
    constexpr int kLargest = 10000;
    auto overflows = [&](int size) {
        const QFontMetricsF metrics(labelFont(fontName, size, true));
        return metrics.horizontalAdvance(text) > areaSize.width() || metrics.height() > areaSize.height();
    };
    constexpr int kReference = 100;
    const QFontMetricsF reference(labelFont(fontName, kReference, true));
    const double fit = std::min(
        reference.horizontalAdvance(text) > 0 ? areaSize.width() / reference.horizontalAdvance(text) : double(kLargest),
        reference.height() > 0 ? areaSize.height() / reference.height() : double(kLargest));
    int first = std::clamp(int(fit * kReference), 1, kLargest);
    if (overflows(first)) {
        while (first > 1 && overflows(first - 1))
            --first;
    } else {
        while (first <= kLargest && !overflows(first))
            ++first;
    }
    const double answer = first > kLargest ? 9999 : first - 2;
    std::lock_guard lock(mutex);
    if (answers.size() > 4096)
        answers.clear();
    answers.insert(key, answer);
    return answer;
}

QString labelOverlayText(const QString& prefix, const QString& pageLabel)
{
    constexpr qsizetype kLongest = 256;
    QString text = prefix + pageLabel;
    if (text.size() <= kLongest)
        return text;
    qsizetype keep = kLongest - 1;
    if (text.at(keep - 1).isHighSurrogate())
        --keep;
    text.truncate(keep);
    text += QChar(0x2026);
    return text;
}

QByteArray makeIconLocationData(const QString& pageLabel, const QPointF& pagePoint)
{
    QJsonObject object;
    object.insert(QStringLiteral("pageLabel"), pageLabel);
    object.insert(QStringLiteral("pagePointAsString"),
        QStringLiteral("{%1, %2}")
            .arg(QString::number(pagePoint.x(), 'g', QLocale::FloatingPointShortest),
                QString::number(pagePoint.y(), 'g', QLocale::FloatingPointShortest)));
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::optional<std::pair<QString, QPointF>> readIconLocationData(const QByteArray& data)
{
    if (data.isEmpty())
        return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(data);
    if (!document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    const QJsonValue label = object.value(QStringLiteral("pageLabel"));
    const QJsonValue point = object.value(QStringLiteral("pagePointAsString"));
    if (!label.isString() || !point.isString())
        return std::nullopt;
    static const QRegularExpression form(QStringLiteral(R"(^\s*\{\s*([-+0-9.eE]+)\s*,\s*([-+0-9.eE]+)\s*\}\s*$)"));
    const QRegularExpressionMatch match = form.match(point.toString());
    if (!match.hasMatch())
        return std::nullopt;
    bool okX = false;
    bool okY = false;
    const double x = match.captured(1).toDouble(&okX);
    const double y = match.captured(2).toDouble(&okY);
    if (!okX || !okY)
        return std::nullopt;
    return std::make_pair(label.toString(), QPointF(x, y));
}

QString targetIconResourcePath()
{
    static const bool registered = (initPageviewResources(), true);
    Q_UNUSED(registered);
    return QStringLiteral(":/PDFViewTargetIcon.svg");
}

void drawLabelOverlay(QPainter& painter, const pdf::PageGeometry& geometry, const LabelOverlay& overlay)
{
    painter.save();
    painter.setWorldTransform(transformForPageInDisplaySpace(geometry), true);
    drawLabelOverlayInPageSpace(painter, geometry.cropBox, overlay);
    painter.restore();
}

void drawLabelOverlayInPageSpace(QPainter& painter, const QRectF& pageBox, const LabelOverlay& overlay)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    if (overlay.location != QLatin1String(kLocationNone)) {
        const QRectF box = labelBoxRect(pageBox, overlay.location, overlay.divisors);
        painter.setPen(QPen(QColor(255, 0, 0), 1.0, Qt::SolidLine, Qt::SquareCap, Qt::RoundJoin));
        painter.setBrush(QColor(255, 0, 0));
        painter.drawRect(box);

        const QString text = labelOverlayText(overlay.prefix, overlay.pageLabel);
        double size = fontSizeForAreaSize(box.size(), text, QString::fromLatin1(kLabelFontName));
        if (size <= 0)
            size = kMinimumLabelFontSize;
        const QFont font = labelFont(QString::fromLatin1(kLabelFontName), int(size), false);
        const QFontMetricsF metrics(font);
        const double textWidth = metrics.horizontalAdvance(text);
        const double textHeight = metrics.height();
        const QPointF lowerLeft(box.x() + box.width() / 2 - textWidth / 2, box.y() + box.height() / 2 - textHeight / 2);
        painter.save();
        // Text reads upright: a local y-down frame at the text's lower-left corner.
        painter.translate(lowerLeft);
        painter.scale(1, -1);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(QPointF(0, -metrics.descent()), text);
        painter.restore();
    }

    if (overlay.iconPoint && overlay.icon && overlay.icon->isValid()) {
        painter.save();
        painter.setOpacity(0.75);
        painter.translate(overlay.iconPoint->x() - 10, overlay.iconPoint->y() + 10);
        painter.scale(1, -1);
        overlay.icon->render(&painter, QRectF(0, 0, 20, 20));
        painter.restore();
    }
    painter.restore();
}

void readLabelBoxOptions(const Defaults& defaults, LabelOverlay& overlay)
{
    overlay.location = pageLabelLocationForOption(
        defaults.stringForKey(QString::fromLatin1(keys::kRedBoxLocation)), overlay.location);
    overlay.divisors = boxDivisorsForOption(defaults.stringForKey(QString::fromLatin1(keys::kRedBoxSize)));
}

} // namespace tolvo::pageview
