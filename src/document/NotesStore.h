// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The five shared notes areas, one copy per process, each kept in a file of its own.
//
// Every window's notes area N shows and edits the same text. An edit travels to the other windows as
// an edit (the changed range) and reaches the area's file at most one second later, written by a
// thread of its own so that typing never waits for the disk; the files are written at once when the
// application deactivates, quits or is told to end. A write that fails is tried again every second
// and reported (writeProblem) until it succeeds. An area that another process changed is taken over
// unless this process has an unsaved edit of it.

#include "document/NotesEdit.h"

#include <QObject>
#include <QString>

#include <array>
#include <functional>
#include <memory>

class QDateTime;
class QFileSystemWatcher;
class QTextDocument;
class QThread;

namespace tolvo {

class Defaults;
class NotesWriter;

/// The five notes areas' rich text shared by every window of the process.
class NotesStore : public QObject {
    Q_OBJECT
public:
    static constexpr int kAreaCount = 5;
    /// The shortest time between two writes of an area to its file, and between two tries after a failure.
    static constexpr int kWriteIntervalMs = 1000;

    /// A store whose areas live in folder (notesfiles::standardFolder() for the application). Notes still
    /// held in defaults (sharedNotes1 to 5, from before the notes had files) move into the folder; they
    /// leave defaults only once their files were written and read back.
    NotesStore(Defaults& defaults, const QString& folder, QObject* parent = nullptr);
    ~NotesStore() override;

    /// The process's store, over Defaults::standard() and the standard notes folder.
    static NotesStore& shared();

    QString folder() const { return m_folder; }
    /// Area 0..4 as this process holds it (nullptr for another index). Never edit it directly.
    const QTextDocument* document(int area) const;
    /// The current rich text of area 0..4 as Qt HTML; empty for another index.
    QString html(int area) const;

    /// Takes an edit made in sourceDocument (the copy of the area in a window; source tags it for areaEdited).
    void takeEdit(int area, NotesEdit edit, const QTextDocument& sourceDocument, const void* source);
    /// Replaces a whole area.
    void setHtml(int area, const QString& html, const void* source);

    /// Replaces area with html (an earlier version) in every window, as an edit that each can undo, after
    /// keeping the current text as a version of its own. Empty on success, else why not (nothing changed).
    QString restoreVersion(int area, const QString& html);
    /// The clock that dates the versions kept from now on (UTC); tests give one of their own.
    void setClock(std::function<QDateTime()> clock);

    /// Writes unsaved edits now, waiting for the writes. False when they could not be written (they stay
    /// pending and are tried again).
    bool flush();
    /// True while an edit waits for its write.
    bool hasUnsavedEdits() const;
    /// Why the last write failed, in plain words; empty while writes succeed.
    QString writeProblem() const { return m_writeProblem; }
    /// What the user must be told about a damaged file set aside; empty when nothing happened.
    QString notice() const { return m_notice; }

    /// Writes all five areas, one after another, into one HTML file at path. Empty on success, else why not.
    QString saveAllAs(const QString& path) const;

    /// Reads what other processes wrote, and sets a damaged file aside (writing back what this process holds).
    void refresh();

signals:
    /// Area changed by edit; source is the tag given with it, or nullptr for another process's change.
    void areaEdited(int area, const tolvo::NotesEdit& edit, const void* source);
    /// A write failed (problem in plain words) or writes succeed again (empty).
    void writeProblemChanged(const QString& problem);
    /// Something the user must be told about their notes or settings.
    void noticeChanged(const QString& notice);

private:
    void publish(int area, const NotesEdit& edit, const void* source, bool needsWrite);
    /// Has the writer write area again as this process holds it.
    void rewrite(int area);
    /// Hands an edit already applied to the area to the writer.
    void sendToWriter(int area, const NotesEdit& edit, bool needsWrite);
    void load(int area, const QString& html, bool needsWrite);
    void migrateFromDefaults(std::array<QString, kAreaCount>& fromDefaults);
    void setWriteProblem(const QString& problem);
    void setNotice(const QString& notice);

    Defaults& m_defaults;
    QString m_folder;
    std::array<std::unique_ptr<QTextDocument>, kAreaCount> m_documents;
    std::array<quint64, kAreaCount> m_edits {};
    std::array<quint64, kAreaCount> m_written {};
    struct Stamp {
        qint64 mtimeNs = -1;
        qint64 size = -1;
        bool operator==(const Stamp&) const = default;
    };
    std::array<Stamp, kAreaCount> m_stamps {};
    QThread* m_thread = nullptr;
    NotesWriter* m_writer = nullptr;
    QFileSystemWatcher* m_watcher = nullptr;
    QString m_writeProblem;
    QString m_notice;
};

} // namespace tolvo

Q_DECLARE_METATYPE(tolvo::NotesEdit)
