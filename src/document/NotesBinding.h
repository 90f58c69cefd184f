// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Ties one window's notes text view to one shared notes area.

#include "document/NotesEdit.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

class QTextEdit;

namespace tolvo {

class NotesStore;

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

    /// Applies the edits of other windows that wait for this view. A view on screen in a window that is
    /// not the active one takes them in batches, a few times a second, so that typing in one window
    /// does not pay for laying out and drawing every other; anything that edits the view catches up first.
    void catchUp();
    /// How long edits may wait for a view in an inactive window.
    static constexpr int kCatchUpMs = 200;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void viewChanged(int position, int removed, int added);
    void storeEdited(int area, const NotesEdit& edit, const void* source);
    void applyWhole(const NotesEdit& edit);

    QPointer<QTextEdit> m_view;
    int m_area;
    NotesStore& m_store;
    bool m_applying = false;
    QList<NotesEdit> m_waiting;
    QTimer m_catchUp;
};

} // namespace tolvo
