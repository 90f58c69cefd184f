// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Inserting links and texts into a notes area as typing would.

#include "links/RichText.h"

#include <QList>
#include <QString>

#include <variant>

class QTextEdit;

namespace tolvo {

/// One piece to insert: a rich text keeps its attributes (its plain runs have none); a plain
/// string takes the view's typing attributes, less any link among them, so that text typed or
/// inserted next to a link never joins it.
using NotesPiece = std::variant<RichText, QString>;

/// Inserts the pieces in order at the view's insertion point, replacing its selection, as one
/// step to undo; the insertion point ends after them.
void insertIntoTextView(QTextEdit* view, const QList<NotesPiece>& pieces);

} // namespace tolvo
