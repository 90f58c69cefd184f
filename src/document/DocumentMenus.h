// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The document window's menus and keyboard shortcuts.

#include "document/ViewCommands.h"

#include <QList>
#include <QObject>

class QAction;
class QMenu;
class QMenuBar;

namespace tolvo {

class MyDocument;

/// Builds the menu bar of a document window with every command of the
/// document; display and zoom items carry their command's tag (ViewCommands.h).
/// Each menu asks the document to validate its items before it opens.
class DocumentMenus : public QObject {
    Q_OBJECT
public:
    DocumentMenus(MyDocument& document, QMenuBar* bar);

    /// The display items, in tag order (book display first).
    const QList<QAction*>& displayActions() const { return m_display; }
    /// The zoom items, in tag order.
    const QList<QAction*>& zoomActions() const { return m_zoom; }
    /// The item of a command, or nullptr.
    QAction* actionFor(DisplayCommand command) const;
    QAction* actionFor(ZoomCommand command) const;
    /// Every action of the menus, for validation.
    QList<QAction*> allActions() const;
    /// Re-validates every item (after the page view's display changed).
    void validateAll();

private:
    QMenu* addMenu(const QString& title);

    MyDocument& m_document;
    QMenuBar* m_bar;
    QList<QMenu*> m_menus;
    QList<QAction*> m_display;
    QList<QAction*> m_zoom;
};

} // namespace tolvo
