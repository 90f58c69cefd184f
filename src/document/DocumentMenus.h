#pragma once
// The document window's menus and keyboard shortcuts.

#include <QList>
#include <QObject>

class QAction;
class QMenu;
class QMenuBar;

namespace tolvo {

class MyDocument;

/// Builds the menu bar of a document window with every command of the
/// document; display items carry the tags 1000 to 1004, zoom items 401 to 404.
/// Each menu asks the document to validate its items before it opens.
class DocumentMenus : public QObject {
    Q_OBJECT
public:
    DocumentMenus(MyDocument& document, QMenuBar* bar);

    /// The display items, tags 1000 (book display) to 1004.
    const QList<QAction*>& displayActions() const { return m_display; }
    /// The zoom items, tags 401 to 404.
    const QList<QAction*>& zoomActions() const { return m_zoom; }
    /// The action carrying a tag, or nullptr.
    QAction* actionForTag(int tag) const;
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
