// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// View ▸ Night Mode: pages drawn with their lightness turned over, kept in the defaults store
// so that every new window opens the way the last choice left it.

#include <QObject>

class QAction;

namespace tolvo {

class Defaults;

namespace pageview {
class PageView;
}

class NightModeCommand : public QObject {
    Q_OBJECT
public:
    /// Gives the view the stored choice.
    NightModeCommand(pageview::PageView* view, Defaults& defaults, QObject* parent = nullptr);

    /// The checkable menu item.
    QAction* action() const { return m_action; }

public slots:
    /// Turns night mode on or off for the view and stores the choice.
    void setNightMode(bool on);

private:
    pageview::PageView* m_view;
    Defaults& m_defaults;
    QAction* m_action;
};

} // namespace tolvo
