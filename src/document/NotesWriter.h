// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Writes the notes areas to their files from a thread of its own, so that typing never waits for a disk.

#include "document/NotesEdit.h"
#include "settings/NotesHistory.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <array>
#include <functional>

class QTextDocument;

namespace tolvo {

/// Keeps its own copy of every area, changed by the same edits as the windows, and writes a changed
/// area at most once per interval; a failed write is tried again each interval until it succeeds.
/// It also keeps the areas' earlier versions: the files as they were at the start, and as they were
/// before the first write of each day. Lives in the writer thread: call it through QMetaObject::invokeMethod.
class NotesWriter : public QObject {
    Q_OBJECT
public:
    static constexpr int kAreaCount = 5;

    /// The time now, in UTC; tests give one of their own.
    using Clock = std::function<QDateTime()>;

    NotesWriter(QString folder, int intervalMs);
    ~NotesWriter() override;

    void setClock(Clock clock);
    /// Keeps the text each area's file held at the start (null: no file) as that launch's version.
    void keepLaunchVersions(const std::array<QString, kAreaCount>& files);
    /// Keeps area as this writer holds it as a version of kind. Empty on success, else why not.
    QString keepVersion(int area, noteshistory::Kind kind);

    /// Takes an edit of area; counted is the number of edits of the area so far.
    void apply(int area, const NotesEdit& edit, quint64 counted, bool needsWrite);
    /// Makes copy (a QTextDocument moved to the writer's thread, now owned by the writer) area's text.
    void replace(int area, QTextDocument* copy, quint64 counted, bool needsWrite);
    /// Writes every changed area now. Empty on success, else why not.
    QString writeNow();

signals:
    /// Area was written up to edit number counted; mtimeNs and size identify the file written.
    void written(int area, quint64 counted, qint64 mtimeNs, qint64 size);
    /// A write failed (reason in plain words), or the writes that failed succeed again (empty reason).
    void problemChanged(const QString& reason);

private:
    void schedule();
    /// Before the first write of a day, the file as it was becomes that day's version.
    void keepDailyVersion(int area);

    QString m_folder;
    int m_intervalMs;
    // Children, so that they move to the writer's thread with it and make their own children there.
    std::array<QTextDocument*, kAreaCount> m_documents {};
    std::array<quint64, kAreaCount> m_counted {};
    std::array<bool, kAreaCount> m_changed {};
    QTimer* m_timer = nullptr;
    QElapsedTimer m_sinceWrite;
    QString m_problem;
    Clock m_clock;
    std::array<QDate, kAreaCount> m_versionDay {};
};

} // namespace tolvo
