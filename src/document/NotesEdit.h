// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One edit of a notes area, carried from the window where it was typed to every other copy of the area.

#include <QList>
#include <QTextBlockFormat>
#include <QTextDocumentFragment>
#include <QTextListFormat>

class QTextDocument;

namespace tolvo {

/// An edit as a changed range: `removed` characters at `position` replaced by `inserted`. A whole
/// edit replaces everything instead; it is what an edit becomes when the range alone would not
/// reproduce the blocks around it (lists and paragraph formats that the range does not carry).
struct NotesEdit {
    int position = 0;
    int removed = 0;
    int added = 0;
    bool whole = false;
    QTextDocumentFragment inserted;
    /// The same text again, sharing nothing with `inserted`: a fragment may be read in one thread at a
    /// time only, and this one goes to the writer's thread. Empty for a whole edit (the writer gets a copy
    /// of the whole document instead).
    QTextDocumentFragment insertedForWriter;

    /// What the blocks touched by the edit must look like afterwards, so that a copy can tell
    /// whether the range reproduced them.
    struct Block {
        QString text;
        QTextBlockFormat format;
        bool inList = false;
        bool listGoesOn = false; // in the same list as the block before
        QTextListFormat listFormat;
        bool operator==(const Block&) const = default;
    };
    QList<Block> blocks;
    int characterCount = 0;
};

/// The edit that QTextDocument::contentsChange(position, removed, added) reported for source.
NotesEdit captureEdit(const QTextDocument& source, int position, int removed, int added);
/// An edit that makes any copy equal to source.
NotesEdit wholeEdit(const QTextDocument& source);
/// An edit that makes any copy show html.
NotesEdit wholeEdit(const QString& html);
/// An edit that replaces all of current with html as one range, so that a view can undo it (a whole
/// edit clears a view's undo history).
NotesEdit replaceAllEdit(const QTextDocument& current, const QString& html);

/// Applies edit to target through a QTextCursor (so cursors in target move with the text).
/// False when target does not come out as the edit's source: the caller then sends a whole edit.
bool applyEdit(QTextDocument& target, const NotesEdit& edit);
/// The same, inserting insertedForWriter (not for whole edits).
bool applyWriterEdit(QTextDocument& target, const NotesEdit& edit);

} // namespace tolvo
