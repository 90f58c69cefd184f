// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/NotesStore.h"

#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QGuiApplication>
#include <QLoggingCategory>

#include <algorithm>

Q_LOGGING_CATEGORY(lcNotes, "tolvo.notes")

namespace tolvo {

namespace {

int areaOfKey(const QString& key)
{
    for (int i = 0; i < NotesStore::kAreaCount; ++i)
        if (key == keys::sharedNotes(i))
            return i;
    return -1;
}

} // namespace

NotesStore::NotesStore(Defaults& defaults, const QString& watchedFile, QObject* parent)
    : QObject(parent)
    , m_defaults(defaults)
{
    for (int i = 0; i < kAreaCount; ++i)
        m_html[i] = m_defaults.stringForKey(keys::sharedNotes(i));
    connect(&m_defaults, &Defaults::valueChanged, this, &NotesStore::defaultsChanged);

    m_writeTimer.setSingleShot(true);
    connect(&m_writeTimer, &QTimer::timeout, this, [this] { flush(); });

    if (QCoreApplication* app = QCoreApplication::instance()) {
        connect(app, &QCoreApplication::aboutToQuit, this, [this] { flush(); });
        if (auto* gui = qobject_cast<QGuiApplication*>(app)) {
            // Leaving the application is a moment to be safe; coming back, another process may have written.
            connect(gui, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
                if (state == Qt::ApplicationActive)
                    refresh();
                else
                    flush();
            });
        }
    }

    if (!watchedFile.isEmpty()) {
        // The store replaces its file on every write, so the folder is what can be watched.
        const QString folder = QFileInfo(watchedFile).absolutePath();
        QDir().mkpath(folder);
        m_watcher = new QFileSystemWatcher(this);
        if (m_watcher->addPath(folder))
            connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { refresh(); });
    }
}

NotesStore::~NotesStore()
{
    flush();
}

NotesStore& NotesStore::shared()
{
    // Owned by the application object, so that its last write happens while Qt is still up.
    static NotesStore* store
        = new NotesStore(Defaults::standard(), Defaults::standardFilePath(), QCoreApplication::instance());
    return *store;
}

QString NotesStore::html(int area) const
{
    return area >= 0 && area < kAreaCount ? m_html[area] : QString();
}

quint64 NotesStore::revision(int area) const
{
    return area >= 0 && area < kAreaCount ? m_revision[area] : 0;
}

void NotesStore::setHtml(int area, const QString& html, const void* source)
{
    if (area < 0 || area >= kAreaCount || html == m_html[area])
        return;
    m_html[area] = html;
    ++m_revision[area];
    m_unsaved[area] = true;
    m_storing = true;
    m_defaults.setValue(keys::sharedNotes(area), html);
    m_storing = false;
    emit areaChanged(area, html, source);
    scheduleWrite();
}

void NotesStore::scheduleWrite()
{
    if (m_writeTimer.isActive())
        return;
    // The first edit after a quiet second is written at once; later ones wait for the second to pass.
    const qint64 wait = m_sinceWrite.isValid() ? kWriteIntervalMs - m_sinceWrite.elapsed() : 0;
    m_writeTimer.start(int(std::max<qint64>(0, wait)));
}

bool NotesStore::hasUnsavedEdits() const
{
    return std::find(m_unsaved.begin(), m_unsaved.end(), true) != m_unsaved.end();
}

bool NotesStore::flush()
{
    m_writeTimer.stop();
    if (!hasUnsavedEdits())
        return true;
    m_sinceWrite.restart();
    if (!m_defaults.synchronize()) {
        qCWarning(lcNotes) << "The notes could not be saved; trying again shortly";
        m_writeTimer.start(kWriteIntervalMs);
        return false;
    }
    m_unsaved.fill(false);
    return true;
}

void NotesStore::refresh()
{
    // Any read makes the store look at its file; a changed file reports its changed keys.
    m_defaults.hasUserValue(keys::sharedNotes(0));
}

void NotesStore::defaultsChanged(const QString& key)
{
    if (m_storing)
        return;
    const int area = areaOfKey(key);
    if (area < 0)
        return;
    const QString now = m_defaults.stringForKey(key);
    // An unsaved edit of ours stays on top of what the file holds, and will overwrite it.
    if (now == m_html[area] || m_unsaved[area])
        return;
    m_html[area] = now;
    ++m_revision[area];
    emit areaChanged(area, now, nullptr);
}

} // namespace tolvo
