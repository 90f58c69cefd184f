// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// View ▸ Full Screen (F11): the window fills the screen; F11 again or Esc brings it back as it
// was, maximized or not.

#include <QObject>

class QAction;
class QWidget;

namespace tolvo {

class FullScreenCommand : public QObject {
    Q_OBJECT
public:
    /// Adds the Esc key that leaves full screen to the window; the menu item is action().
    explicit FullScreenCommand(QWidget* window);

    /// The checkable menu item, with F11.
    QAction* action() const { return m_action; }
    bool isFullScreen() const;

public slots:
    void toggle();
    void leave();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void update();

    QWidget* m_window;
    QAction* m_action;
    QAction* m_escape;
    bool m_wasMaximized = false;
};

} // namespace tolvo
