// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The five shared notes areas, one copy per process over the defaults store.
//
// Every window's notes area N shows and edits the same text. An edit reaches
// the other windows at once and the file at most one second later (at once
// when the application deactivates or quits), so a crash loses at most the
// last second of typing. Edits travel whole: the last edit of an area wins.
// An area that another process changed is taken over unless this process has
// an unsaved edit of it.

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <array>

class QFileSystemWatcher;

namespace tolvo {

class Defaults;

/// The five notes areas' rich text (Qt HTML) shared by every window of the process.
class NotesStore : public QObject {
    Q_OBJECT
public:
    static constexpr int kAreaCount = 5;
    /// The shortest time between two writes of the store to its file.
    static constexpr int kWriteIntervalMs = 1000;

    /// A store over defaults. When watchedFile is given, changes that other
    /// processes make to it are noticed as they happen.
    explicit NotesStore(Defaults& defaults, const QString& watchedFile = QString(), QObject* parent = nullptr);
    ~NotesStore() override;

    /// The process's store, over Defaults::standard().
    static NotesStore& shared();

    /// The current rich text of area 0..4; empty for another index.
    QString html(int area) const;
    /// Counts the changes of an area, so a view can tell whether it shows the latest.
    quint64 revision(int area) const;

    /// Takes an edit of a whole area made in source (any tag; areaChanged names it).
    void setHtml(int area, const QString& html, const void* source);

    /// Writes unsaved edits now. False when the store could not be written (they stay pending).
    bool flush();
    /// True while an edit waits for its write.
    bool hasUnsavedEdits() const;

    /// Reads what other processes wrote, if the file changed.
    void refresh();

signals:
    /// Area changed to html; source is the tag given to setHtml, or nullptr for another process.
    void areaChanged(int area, const QString& html, const void* source);

private:
    void scheduleWrite();
    void defaultsChanged(const QString& key);

    Defaults& m_defaults;
    std::array<QString, kAreaCount> m_html;
    std::array<quint64, kAreaCount> m_revision {};
    std::array<bool, kAreaCount> m_unsaved {};
    QTimer m_writeTimer;
    QElapsedTimer m_sinceWrite;
    QFileSystemWatcher* m_watcher = nullptr;
    bool m_storing = false;
};

} // namespace tolvo
