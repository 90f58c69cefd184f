// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The marks of one PDF that are not yet written into it, kept in the data folder
// ($XDG_DATA_HOME/Tolvo/marks/) under the PDF's identity, so that a crash loses none:
// the next open of the PDF offers them back. Written atomically after every change.

#include "pdf/PdfMarks.h"

#include <QString>

#include <vector>

namespace tolvo {

class MarkJournal {
public:
    /// The journal of the document identity in folder.
    MarkJournal(const QString& folder, const QString& identity);
    /// The folder of the journals in the user's data folder.
    static QString standardFolder();

    QString filePath() const { return m_path; }
    /// The edits kept, in the order made; entries that cannot be read are skipped.
    std::vector<pdf::MarkEdit> read() const;
    /// Keeps edits in place of what was kept; no edits removes the journal. False when it could not be written.
    bool write(const std::vector<pdf::MarkEdit>& edits) const;
    bool clear() const { return write({}); }

private:
    QString m_path;
};

} // namespace tolvo
