// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// View ▸ Night Mode: pages drawn with their lightness turned over, and View ▸ Keep Images in
// Night Mode, which leaves their photos as they are. Both are kept in the defaults store so
// that every new window opens the way the last choice left it.

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
    /// Gives the view the stored choices.
    NightModeCommand(pageview::PageView* view, Defaults& defaults, QObject* parent = nullptr);

    /// The checkable menu item of night mode.
    QAction* action() const { return m_action; }
    /// The checkable menu item that keeps images in night mode; enabled only in night mode.
    QAction* keepImagesAction() const { return m_keepImages; }

public slots:
    /// Turns night mode on or off for the view and stores the choice.
    void setNightMode(bool on);
    /// Lets night mode leave the PDF's images as they are, or turn them too, and stores the choice.
    void setKeepImages(bool keep);

private:
    pageview::PageView* m_view;
    Defaults& m_defaults;
    QAction* m_action;
    QAction* m_keepImages;
};

} // namespace tolvo
