// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The marks a reader makes in one PDF, and their way into the file. Each change is
// kept in the journal at once and written into the PDF a moment later (and on close):
// into a new file beside it, read back, then renamed over the original. The first
// write keeps a copy of the original in the data folder. A PDF that cannot be
// written keeps its marks here, and in the journal, until "Save a Copy...".

#include "pdf/PdfMarks.h"

#include <QObject>
#include <QTimer>

#include <optional>
#include <vector>

namespace tolvo {

namespace pdf {
class Document;
}

class DocumentMarks : public QObject {
    Q_OBJECT
public:
    /// How long after a change the PDF is written.
    static constexpr int kSaveDelayMs = 1500;

    /// The marks of document (not owned), whose file is at path. dataFolder holds the journals
    /// (marks/) and the originals (originals/); identity names the document there.
    DocumentMarks(const pdf::Document& document, const QString& path, const QString& identity,
        const QString& dataFolder, QObject* parent = nullptr);
    ~DocumentMarks() override;

    const pdf::Document& document() const { return m_document; }
    /// The user's data folder of Tolvo.
    static QString standardDataFolder();

    /// Adds a mark (a new id is given when it has none); returns its id.
    QString add(pdf::Mark mark);
    /// Replaces the mark of the same id.
    void change(const pdf::Mark& mark);
    void remove(const QString& id, int pageIndex);

    /// The edits not yet in the file, in the order made.
    const std::vector<pdf::MarkEdit>& pending() const { return m_pending; }
    bool hasUnsaved() const { return !m_pending.empty(); }
    /// The marks made or changed since the last write, as they are now (the page view draws them).
    std::vector<pdf::Mark> unsavedMarks(int pageIndex = -1) const;
    /// The ids removed since the last write.
    std::vector<pdf::MarkEdit> unsavedRemovals() const;

    /// Writes the pending edits into the PDF now. True when there was nothing to write or it was written.
    bool save();
    /// Writes the PDF with every pending edit to another file (which is replaced); the PDF itself
    /// and the pending edits stay as they are. False with a reason in *error.
    bool saveCopy(const QString& destination, QString* error);

    /// The edits of the journal that the file does not show (a crash came between a change and
    /// its write); empty when there is none.
    std::vector<pdf::MarkEdit> journalEditsMissingFromFile() const;
    /// Takes the journal's edits as pending (and writes them soon).
    void restoreJournal();
    /// Forgets the journal.
    void discardJournal();

    /// Why the last write failed; empty after one that worked.
    QString lastError() const { return m_lastError; }
    /// Whether the PDF could not be written (the reader has been told once).
    bool isReadOnly() const { return m_readOnly; }
    QString journalPath() const;
    QString originalCopyPath() const;

signals:
    /// A mark was added, changed or removed, or the journal's marks came back.
    void marksChanged();
    /// The PDF file was replaced by one with the marks written in.
    void fileRewritten();
    /// The PDF cannot be written; emitted once per document.
    void cannotWrite(const QString& message);

private:
    void edit(pdf::MarkEdit edit);
    bool keepOriginal();
    void reportCannotWrite(const QString& reason);

    const pdf::Document& m_document;
    QString m_path;
    QString m_identity;
    QString m_dataFolder;
    std::vector<pdf::MarkEdit> m_pending;
    QTimer m_saveTimer;
    QString m_lastError;
    bool m_readOnly = false;
    bool m_told = false;
};

} // namespace tolvo
