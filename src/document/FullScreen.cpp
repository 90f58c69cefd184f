// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/FullScreen.h"

#include <QAction>
#include <QEvent>
#include <QWidget>

namespace tolvo {

FullScreenCommand::FullScreenCommand(QWidget* window)
    : QObject(window)
    , m_window(window)
    , m_action(new QAction(tr("F&ull Screen"), this))
    , m_escape(new QAction(tr("Leave Full Screen"), this))
{
    m_action->setObjectName(QStringLiteral("fullScreenAction"));
    m_action->setCheckable(true);
    // F11, and the platform's own key when it differs: a key given twice would be ambiguous.
    QList<QKeySequence> keys { QKeySequence(Qt::Key_F11) };
    for (const QKeySequence& key : QKeySequence::keyBindings(QKeySequence::FullScreen))
        if (!keys.contains(key))
            keys.append(key);
    m_action->setShortcuts(keys);
    connect(m_action, &QAction::triggered, this, &FullScreenCommand::toggle);
    // Esc leaves full screen and does nothing else; outside full screen it is left to the widgets.
    m_escape->setShortcut(QKeySequence(Qt::Key_Escape));
    m_escape->setEnabled(false);
    m_window->addAction(m_escape);
    connect(m_escape, &QAction::triggered, this, &FullScreenCommand::leave);
    m_window->installEventFilter(this);
}

bool FullScreenCommand::isFullScreen() const
{
    return m_window->windowState() & Qt::WindowFullScreen;
}

void FullScreenCommand::toggle()
{
    if (isFullScreen()) {
        leave();
        return;
    }
    m_wasMaximized = m_window->windowState() & Qt::WindowMaximized;
    m_window->showFullScreen();
    update();
}

void FullScreenCommand::leave()
{
    if (!isFullScreen())
        return;
    if (m_wasMaximized)
        m_window->showMaximized();
    else
        m_window->showNormal();
    update();
}

bool FullScreenCommand::eventFilter(QObject* watched, QEvent* event)
{
    // The window manager may change the state too (its own key, a double-click on the title).
    if (watched == m_window && event->type() == QEvent::WindowStateChange)
        update();
    return QObject::eventFilter(watched, event);
}

void FullScreenCommand::update()
{
    const bool full = isFullScreen();
    m_action->setChecked(full);
    m_escape->setEnabled(full);
}

} // namespace tolvo
