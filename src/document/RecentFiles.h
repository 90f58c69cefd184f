// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// File ▸ Open Recent: the PDFs opened last, newest first, and Clear Menu.

#include <QMenu>

#include <functional>

namespace tolvo {

class PlaceMemory;

/// A menu filled from the place memory's recent list each time it opens. A file that is no
/// longer there shows disabled, marked as missing.
class RecentFilesMenu : public QMenu {
    Q_OBJECT
public:
    RecentFilesMenu(PlaceMemory& memory, std::function<void(const QString& path)> open, QWidget* parent = nullptr);

    /// Rebuilds the items from the memory.
    void rebuild();

private:
    PlaceMemory& m_memory;
    std::function<void(const QString&)> m_open;
};

} // namespace tolvo
