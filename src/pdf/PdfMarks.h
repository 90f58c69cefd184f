// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Marks that a reader makes on the pages: highlights, underlines and strike-outs over
// text, and notes at a point. They are written into the PDF as its own annotations,
// each named by its /NM, so that a later change finds the annotation it replaces.

#include <QColor>
#include <QJsonObject>
#include <QRectF>
#include <QString>
#include <QVector>

#include <optional>
#include <vector>

namespace tolvo::pdf {

enum class MarkKind { Highlight, Underline, StrikeOut, Note };

/// One mark as Tolvo makes it.
struct Mark {
    QString id; ///< the annotation's /NM
    MarkKind kind = MarkKind::Highlight;
    int pageIndex = -1;
    QColor colour;
    /// Page space: one rectangle per line of covered text; for a note, the rectangle of its icon.
    QVector<QRectF> rects;
    QString text; ///< the text the mark covers; empty for a note
    QString comment; ///< what the reader wrote about it

    /// What goes into /Contents, which other readers show as the mark's note: the comment, or
    /// the covered text when there is no comment.
    QString contents() const { return comment.isEmpty() ? text : comment; }
    QRectF bounds() const;
    bool operator==(const Mark&) const = default;

    QJsonObject toJson() const;
    /// Nothing for an object that is no mark (no id, unknown kind, no rectangles).
    static std::optional<Mark> fromJson(const QJsonObject& object);
};

/// A change to one mark: the annotation named id on pageIndex becomes mark, or goes when there is none.
struct MarkEdit {
    QString id;
    int pageIndex = -1;
    std::optional<Mark> mark;
    bool operator==(const MarkEdit&) const = default;
};

/// "Highlight", "Underline", "StrikeOut", "Note": the PDF's annotation subtypes.
QString markKindName(MarkKind kind);
std::optional<MarkKind> markKindFromName(const QString& name);

/// The five colours marks are made in, with their names.
struct MarkColour {
    QString name;
    QColor colour;
};
const std::vector<MarkColour>& markColours();
/// The colour of a name of markColours(); yellow for any other.
QColor markColourNamed(const QString& name);

/// The name of the colour of markColours() that colour is, or is closest to when it is near one;
/// else its "#rrggbb". Empty for an invalid colour.
QString markColourName(const QColor& colour);

/// A new id for a mark: "tolvo-" and a random UUID.
QString newMarkId();

} // namespace tolvo::pdf
