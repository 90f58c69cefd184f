// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The prefix and page label box and the target icon that LabelPDFView draws
// over every page, as plain functions over a QPainter and a page's geometry,
// so that tolvo-cli draws exactly what the window shows.
//
// The box arithmetic works in page space, y up, as the page transform leaves it.

#include "pdf/PdfDocument.h"

#include <QByteArray>
#include <QFont>
#include <QPainter>
#include <QString>
#include <QTransform>

#include <optional>

class QSvgRenderer;

namespace tolvo {
class Defaults;
}

namespace tolvo::pageview {

/// The box corner values of pageLabelLocation.
inline constexpr char kLocationTopRight[] = "Q1";
inline constexpr char kLocationTopLeft[] = "Q2";
inline constexpr char kLocationBottomLeft[] = "Q3";
inline constexpr char kLocationBottomRight[] = "Q4";
inline constexpr char kLocationNone[] = "None";

/// The font the box text is named by; a clear installed sans-serif stands in where it is missing.
inline constexpr char kLabelFontName[] = "Lucida Grande";

/// The size the box text is drawn at when fitting gives 0 or less.
inline constexpr double kMinimumLabelFontSize = 6;

/// The divisors of the box size: the page width over `width`, the page height over `height`.
struct BoxDivisors {
    int width = 4;
    int height = 20;
};

/// The location option's effect: "Top Right" gives "Q1", ..., "Hide" gives "None"; any other keeps current.
QString pageLabelLocationForOption(const QString& option, const QString& current);
/// The size option's divisors: "Small" 5 and 22, "Medium" 4 and 20, "Large" 3 and 18; any other as "Medium".
BoxDivisors boxDivisorsForOption(const QString& option);

/// The box on a page box (page space, y up): w/dx by h/dy, touching two edges of the page box.
QRectF labelBoxRect(const QRectF& pageBox, const QString& location, BoxDivisors divisors);

/// The page transform: page space to the page's drawing space with its lower-left corner at the
/// origin and y up (h wide and w high for rotations 90 and 270).
QTransform transformForPage(const pdf::PageGeometry& geometry);
/// The page transform followed by the flip into display space (y down): page space to display space.
QTransform transformForPageInDisplaySpace(const pdf::PageGeometry& geometry);

/// The font family that stands for a font name: the name itself when installed, else a clear sans-serif.
QString resolvedFontFamily(const QString& fontName);
/// The named font at a size in points (page units), regular weight or one weight step heavier.
QFont labelFont(const QString& fontName, int size, bool heavier);

/// The largest comfortable font size for a text in an area: two below the first size at
/// which the text, measured one weight step heavier, overflows; 0 for an area of 0 by 0;
/// 9999 when every size up to 10000 fits. Answers are remembered per (area, text, font).
double fontSizeForAreaSize(const QSizeF& areaSize, const QString& text, const QString& fontName);

/// The text the box shows: the prefix and the page label, cut to 256 characters with "…"
/// (never inside a surrogate pair). No page is wide enough to show more at the smallest size,
/// and a hostile PDF's label of 200,000 characters would otherwise be shaped on every paint.
QString labelOverlayText(const QString& prefix, const QString& pageLabel);

/// The target icon's place, kept as the page label and the page point in "{x, y}" form.
QByteArray makeIconLocationData(const QString& pageLabel, const QPointF& pagePoint);
/// Reads icon location data back; nothing when it is empty or damaged.
std::optional<std::pair<QString, QPointF>> readIconLocationData(const QByteArray& data);

/// The target icon resource (20 by 20 points).
QString targetIconResourcePath();

/// What one page's overlay shows.
struct LabelOverlay {
    QString location = kLocationBottomRight; ///< a pageLabelLocation value
    BoxDivisors divisors;
    QString prefix;
    QString pageLabel;
    std::optional<QPointF> iconPoint; ///< page space; the icon is drawn only when set
    QSvgRenderer* icon = nullptr; ///< not owned
};

/// Draws a page's overlay. The painter must be in the page's display space (points from the
/// top-left corner of the page as shown, y down); its state is restored afterwards.
void drawLabelOverlay(QPainter& painter, const pdf::PageGeometry& geometry, const LabelOverlay& overlay);
/// The same with the painter already in page space (y up); pageBox is the page's crop box.
void drawLabelOverlayInPageSpace(QPainter& painter, const QRectF& pageBox, const LabelOverlay& overlay);

/// Reads both box options from the store into an overlay, updating location as the option says.
void readLabelBoxOptions(const Defaults& defaults, LabelOverlay& overlay);

} // namespace tolvo::pageview
