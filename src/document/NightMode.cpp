// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/NightMode.h"

#include "pageview/PageView.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"

#include <QAction>

namespace tolvo {

NightModeCommand::NightModeCommand(pageview::PageView* view, Defaults& defaults, QObject* parent)
    : QObject(parent)
    , m_view(view)
    , m_defaults(defaults)
    , m_action(new QAction(tr("&Night Mode"), this))
    , m_keepImages(new QAction(tr("Keep Images in Night &Mode"), this))
{
    m_action->setObjectName(QStringLiteral("nightModeAction"));
    m_action->setCheckable(true);
    m_action->setShortcut(QKeySequence(tr("Ctrl+Shift+I")));
    m_keepImages->setObjectName(QStringLiteral("nightModeKeepsImagesAction"));
    m_keepImages->setCheckable(true);
    m_keepImages->setToolTip(tr("Leave photos and other pictures as they are in night mode"));
    const bool keep = m_defaults.boolForKey(QString::fromLatin1(keys::kNightModeKeepsImages));
    m_keepImages->setChecked(keep);
    m_view->setNightKeepsImages(keep);
    const bool on = m_defaults.boolForKey(QString::fromLatin1(keys::kNightMode));
    m_action->setChecked(on);
    m_keepImages->setEnabled(on);
    m_view->setNightMode(on);
    connect(m_action, &QAction::toggled, this, &NightModeCommand::setNightMode);
    connect(m_keepImages, &QAction::toggled, this, &NightModeCommand::setKeepImages);
    // A choice made in another window applies here too.
    connect(&m_defaults, &Defaults::valueChanged, this, [this](const QString& key) {
        if (key == QLatin1String(keys::kNightMode))
            setNightMode(m_defaults.boolForKey(key));
        else if (key == QLatin1String(keys::kNightModeKeepsImages))
            setKeepImages(m_defaults.boolForKey(key));
    });
}

void NightModeCommand::setNightMode(bool on)
{
    m_action->setChecked(on);
    m_keepImages->setEnabled(on);
    m_view->setNightMode(on);
    if (m_defaults.boolForKey(QString::fromLatin1(keys::kNightMode)) != on) {
        m_defaults.setValue(QString::fromLatin1(keys::kNightMode), on);
        m_defaults.synchronize();
    }
}

void NightModeCommand::setKeepImages(bool keep)
{
    m_keepImages->setChecked(keep);
    m_view->setNightKeepsImages(keep);
    if (m_defaults.boolForKey(QString::fromLatin1(keys::kNightModeKeepsImages)) != keep) {
        m_defaults.setValue(QString::fromLatin1(keys::kNightModeKeepsImages), keep);
        m_defaults.synchronize();
    }
}

} // namespace tolvo
