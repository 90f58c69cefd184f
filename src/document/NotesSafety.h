// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What keeps notes from being lost without a word: the message bar of a notes pane, the question
// before quitting with notes that could not be written, and "Save Notes As...".

#include <QFrame>
#include <QString>

#include <functional>

class QLabel;
class QPushButton;

namespace tolvo {

class NotesStore;

/// A bar above the notes areas: shown while the notes cannot be written (the reason, and a
/// "Save Notes As..." button) and after a damaged file was set aside (where it went).
class NotesMessageBar : public QFrame {
    Q_OBJECT
public:
    NotesMessageBar(NotesStore& store, QWidget* parent = nullptr);

    QString problemText() const;
    QString noticeText() const;
    QPushButton* saveAsButton() const { return m_saveAs; }

private:
    void showState();

    NotesStore& m_store;
    QLabel* m_problem;
    QPushButton* m_saveAs;
    QLabel* m_notice;
    QPushButton* m_dismiss;
    QString m_dismissed;
};

enum class NotesQuitAnswer { SaveAs, TryAgain, QuitAnyway };
/// Asks "Your notes could not be saved." with the reason; the answer chosen.
using NotesQuitQuestion = std::function<NotesQuitAnswer(QWidget* parent, const QString& problem)>;
/// Asks for the file to save the notes in; empty when cancelled.
using NotesSaveAsPicker = std::function<QString(QWidget* parent)>;

/// Replaces the message box and the file dialog (tests answer without a person); nullptr restores them.
void setNotesQuitQuestion(NotesQuitQuestion question);
void setNotesSaveAsPicker(NotesSaveAsPicker picker);

/// Writes the notes now and, when they cannot be written, asks until they are saved somewhere or the
/// user chooses to quit anyway. True when quitting may go on.
bool notesAllowQuit(NotesStore& store, QWidget* parent);
/// Asks for a file and writes all notes areas into it. False when cancelled or not written (the user is told).
bool saveNotesAs(NotesStore& store, QWidget* parent);

} // namespace tolvo
