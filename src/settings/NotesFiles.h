// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The notes areas' own files: one Qt HTML file per area, readable in any browser or editor.

#include <QString>

namespace tolvo {
class Defaults;
}

namespace tolvo::notesfiles {

/// $XDG_DATA_HOME/Tolvo/notes
QString standardFolder();
/// The file of area 0..4 in folder: notes-1.html to notes-5.html.
QString filePath(const QString& folder, int area);

struct ReadResult {
    enum class Status { Missing, Read, Damaged, Unreadable };
    Status status = Status::Missing;
    QString html;
    QString problem; // in plain words, for Damaged and Unreadable
};
/// Reads a notes file. Damaged: not UTF-8, or not HTML (an empty file is damaged too: no write makes one).
ReadResult read(const QString& path);

/// Writes html to path atomically (a crash leaves the old file or the new one, never a mix).
/// Empty on success, else why not in plain words.
QString write(const QString& path, const QString& html);

/// What area holds now: its file, or, before the notes moved into files, the settings' value (the
/// welcome text when the user never wrote any); Damaged or Unreadable when the file cannot be used.
ReadResult current(const Defaults& defaults, const QString& folder, int area);

/// Moves a damaged file to path.damaged-<time>; the new path, or empty when it could not be moved.
QString setAside(const QString& path);

} // namespace tolvo::notesfiles
