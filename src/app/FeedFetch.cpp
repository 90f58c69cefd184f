// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FeedFetch.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace tolvo::updates {

namespace {

using NewFeedFetch = FeedFetch* (*)();

// The module once loaded, never unloaded nor deleted: its code runs until the process ends.
QLibrary* networkModule = nullptr;

// Where the module may be: beside the program (a build tree), in the installed library
// folder relative to it, then Qt's library paths.
QStringList moduleFolders()
{
    const QString program = QCoreApplication::applicationDirPath();
    QStringList folders { program, QDir::cleanPath(program + u'/' + QStringLiteral(TOLVO_MODULE_DIR_FROM_BIN)) };
    folders += QCoreApplication::libraryPaths();
    return folders;
}

} // namespace

std::unique_ptr<FeedFetch> loadFeedFetch(QString* problem)
{
    // Loaded once and kept for the process's life: the fetches it makes live in it.
    static NewFeedFetch make = nullptr;
    if (!make) {
        QStringList tried;
        for (const QString& folder : moduleFolders()) {
            const QString path = folder + u'/' + QLatin1String(kNetworkModuleName);
            if (!QFileInfo::exists(path))
                continue;
            auto library = std::make_unique<QLibrary>(path);
            make = reinterpret_cast<NewFeedFetch>(library->resolve(kNetworkModuleEntry));
            if (make) {
                networkModule = library.release();
                break;
            }
            tried << library->errorString();
        }
        if (!make) {
            if (problem)
                *problem = tried.isEmpty() ? QStringLiteral("Tolvo's network module (%1) is not installed")
                                                 .arg(QLatin1String(kNetworkModuleName))
                                           : tried.join(QStringLiteral("; "));
            return nullptr;
        }
    }
    return std::unique_ptr<FeedFetch>(make());
}

} // namespace tolvo::updates
