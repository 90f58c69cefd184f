// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Ties one window's notes text view to one shared notes area.

#include <QObject>
#include <QPointer>
#include <QString>

class QTextEdit;

namespace tolvo {

class NotesStore;
struct NotesEdit;

/// Where a cursor at `position` in oldText belongs in newText, when another
/// window replaced the text: before the changed stretch it stays, after it it
/// moves by the change in length, inside it it goes to the stretch's new end.
int mapCursorPosition(const QString& oldText, const QString& newText, int position);

/// Shows area `area` of the store in view, hands every edit of the view to the store as a changed
/// range, and applies the edits of other windows the same way, so that this view's cursor and scroll
/// position move only as far as the change requires.
class NotesBinding : public QObject {
    Q_OBJECT
public:
    NotesBinding(QTextEdit* view, int area, NotesStore& store, QObject* parent = nullptr);

    int area() const { return m_area; }
    QTextEdit* view() const { return m_view; }

private:
    void viewChanged(int position, int removed, int added);
    void storeEdited(int area, const NotesEdit& edit, const void* source);
    void applyWhole(const NotesEdit& edit);

    QPointer<QTextEdit> m_view;
    int m_area;
    NotesStore& m_store;
    bool m_applying = false;
};

} // namespace tolvo
