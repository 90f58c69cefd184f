// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/RecentFiles.h"

#include "settings/PlaceMemory.h"

#include <QDir>
#include <QFileInfo>

namespace tolvo {

RecentFilesMenu::RecentFilesMenu(PlaceMemory& memory, std::function<void(const QString&)> open, QWidget* parent)
    : QMenu(tr("Open &Recent"), parent)
    , m_memory(memory)
    , m_open(std::move(open))
{
    setObjectName(QStringLiteral("openRecentMenu"));
    connect(this, &QMenu::aboutToShow, this, &RecentFilesMenu::rebuild);
    rebuild();
}

void RecentFilesMenu::rebuild()
{
    clear();
    const QStringList files = m_memory.recentFiles();
    int number = 0;
    for (const QString& path : files) {
        ++number;
        const bool there = QFileInfo(path).isFile();
        // Numbers 1 to 9 are the items' keys; "&" in a name is no key.
        QString text = QFileInfo(path).fileName().replace(u'&', QStringLiteral("&&"));
        if (number < 10)
            text = QStringLiteral("&%1 %2").arg(number).arg(text);
        if (!there)
            text += tr(" (missing)");
        QAction* item = addAction(text);
        item->setData(path);
        item->setToolTip(QDir::toNativeSeparators(path));
        item->setStatusTip(QDir::toNativeSeparators(path));
        item->setEnabled(there);
        connect(item, &QAction::triggered, this, [this, path] {
            if (m_open)
                m_open(path);
        });
    }
    if (files.isEmpty())
        addAction(tr("No Recent Files"))->setEnabled(false);
    addSeparator();
    QAction* clearItem = addAction(tr("&Clear Menu"));
    clearItem->setObjectName(QStringLiteral("clearRecentFiles"));
    clearItem->setEnabled(!files.isEmpty());
    connect(clearItem, &QAction::triggered, this, [this] {
        m_memory.clearRecentFiles();
        rebuild();
    });
    setToolTipsVisible(true);
}

} // namespace tolvo
