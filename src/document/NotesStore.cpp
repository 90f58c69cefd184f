// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/NotesStore.h"

#include "document/NotesWriter.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"
#include "settings/HandOver.h"
#include "settings/NotesFiles.h"
#include "settings/NotesHistory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileSystemWatcher>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QTextDocument>
#include <QTextFrame>
#include <QThread>
#include <QTimer>

#include <sys/stat.h>

#include <algorithm>

Q_LOGGING_CATEGORY(lcNotes, "tolvo.notes")

namespace tolvo {

namespace {

struct FileStamp {
    qint64 mtimeNs = -1;
    qint64 size = -1;
};

FileStamp stampOf(const QString& path)
{
    struct stat st { };
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return { qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec, qint64(st.st_size) };
}

QString bodyOf(const QString& html)
{
    const qsizetype open = html.indexOf(QLatin1String("<body"));
    const qsizetype start = open < 0 ? -1 : html.indexOf(QLatin1Char('>'), open);
    const qsizetype end = html.lastIndexOf(QLatin1String("</body>"));
    return start < 0 || end < start ? html : html.mid(start + 1, end - start - 1);
}

} // namespace

NotesStore::NotesStore(Defaults& defaults, const QString& folder, QObject* parent)
    : QObject(parent)
    , m_defaults(defaults)
    , m_folder(folder)
{
    qRegisterMetaType<NotesEdit>();
    for (auto& document : m_documents)
        document = std::make_unique<QTextDocument>();

    m_thread = new QThread(this);
    m_thread->setObjectName(QStringLiteral("notes writer"));
    m_writer = new NotesWriter(m_folder, kWriteIntervalMs);
    m_writer->moveToThread(m_thread);
    // The writer's reports come from its thread (see settings/HandOver.h).
    connect(m_writer, &NotesWriter::written, this,
        [this, writer = m_writer](int area, quint64 counted, qint64 mtimeNs, qint64 size) {
            takingOver(writer);
            m_written[area] = std::max(m_written[area], counted);
            m_stamps[area] = { mtimeNs, size };
        });
    connect(m_writer, &NotesWriter::problemChanged, this, [this, writer = m_writer](const QString& problem) {
        takingOver(writer);
        setWriteProblem(problem);
    });
    m_thread->start();

    std::array<QString, kAreaCount> fromDefaults;
    std::array<QString, kAreaCount> beforeLaunch;
    for (int area = 0; area < kAreaCount; ++area) {
        const QString path = notesfiles::filePath(m_folder, area);
        const notesfiles::ReadResult file = notesfiles::read(path);
        switch (file.status) {
        case notesfiles::ReadResult::Status::Read:
            m_stamps[area] = { stampOf(path).mtimeNs, stampOf(path).size };
            beforeLaunch[area] = file.html;
            load(area, file.html, false);
            break;
        case notesfiles::ReadResult::Status::Missing:
            if (m_defaults.hasUserValue(keys::sharedNotes(area)))
                fromDefaults[area] = m_defaults.stringForKey(keys::sharedNotes(area));
            load(area, m_defaults.stringForKey(keys::sharedNotes(area)), false);
            break;
        case notesfiles::ReadResult::Status::Damaged: {
            const QString aside = notesfiles::setAside(path);
            setNotice(aside.isEmpty() ? tr("The file of notes area %1 is damaged (%2) and could not be moved aside: %3")
                                            .arg(QString::number(area + 1), file.problem, path)
                                      : tr("The file of notes area %1 was damaged (%2); it was kept as %3.")
                                            .arg(QString::number(area + 1), file.problem, aside));
            load(area, QString(), false);
            break;
        }
        case notesfiles::ReadResult::Status::Unreadable:
            setNotice(tr("The file of notes area %1 cannot be read (%2): %3")
                          .arg(QString::number(area + 1), file.problem, path));
            load(area, QString(), false);
            break;
        }
    }
    // The writer keeps them before it writes anything of this launch.
    handOver(m_writer, [writer = m_writer, beforeLaunch] { writer->keepLaunchVersions(beforeLaunch); });
    migrateFromDefaults(fromDefaults);

    // A damaged settings file: what this process holds goes back at once, and the user hears of it.
    connect(&m_defaults, &Defaults::damaged, this,
        [this] { QTimer::singleShot(0, &m_defaults, [this] { m_defaults.synchronize(); }); });
    connect(&m_defaults, &Defaults::fileSetAside, this, [this](const QString& aside) {
        setNotice(tr("The settings file was damaged; it was kept as %1, and the settings held here were "
                     "written back.")
                      .arg(aside));
    });
    if (m_defaults.isDamaged())
        QTimer::singleShot(0, &m_defaults, [this] { m_defaults.synchronize(); });

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
    if (QDir().mkpath(m_folder)) {
        m_watcher = new QFileSystemWatcher(this);
        if (m_watcher->addPath(m_folder))
            connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { refresh(); });
    }
}

NotesStore::~NotesStore()
{
    flush();
    // The writer and its timer belong to the writer's thread: they end there.
    handOverAndWait(m_writer, [this] {
        delete m_writer;
        m_writer = nullptr;
    });
    m_thread->quit();
    m_thread->wait();
    // A store that outlives the application object (the shared one, which it owns) is told too
    // late: calls queued to other threads are dropped by then, unrun. Its writer's thread is over
    // now, so the writer is ended here, after writing what it still holds.
    if (m_writer) {
        m_writer->writeNow();
        delete m_writer;
    }
}

NotesStore& NotesStore::shared()
{
    // Owned by the application object, so that its last write happens while Qt is still up.
    static NotesStore* store
        = new NotesStore(Defaults::standard(), notesfiles::standardFolder(), QCoreApplication::instance());
    return *store;
}

void NotesStore::migrateFromDefaults(std::array<QString, kAreaCount>& fromDefaults)
{
    QList<int> moved;
    for (int area = 0; area < kAreaCount; ++area) {
        if (fromDefaults[area].isNull())
            continue;
        const QString path = notesfiles::filePath(m_folder, area);
        const QString html = m_documents[area]->toHtml();
        const QString problem = notesfiles::write(path, html);
        const notesfiles::ReadResult back = notesfiles::read(path);
        if (!problem.isEmpty() || back.status != notesfiles::ReadResult::Status::Read || back.html != html) {
            // The notes stay where they were, and the writer keeps trying.
            qCWarning(lcNotes).noquote() << "Cannot move notes area" << area + 1 << "to" << path << ":" << problem;
            setWriteProblem(problem.isEmpty() ? tr("the file written could not be read back") : problem);
            rewrite(area);
            continue;
        }
        m_stamps[area] = { stampOf(path).mtimeNs, stampOf(path).size };
        moved.append(area);
    }
    if (moved.isEmpty())
        return;
    for (int area : moved)
        m_defaults.removeValue(keys::sharedNotes(area));
    m_defaults.synchronize();
    qCInfo(lcNotes).noquote() << "Moved" << moved.size() << "notes areas from the settings file to" << m_folder;
}

const QTextDocument* NotesStore::document(int area) const
{
    return area >= 0 && area < kAreaCount ? m_documents[area].get() : nullptr;
}

QString NotesStore::html(int area) const
{
    return area >= 0 && area < kAreaCount ? m_documents[area]->toHtml() : QString();
}

void NotesStore::load(int area, const QString& html, bool needsWrite)
{
    const NotesEdit edit = wholeEdit(html);
    applyEdit(*m_documents[area], edit);
    publish(area, edit, nullptr, needsWrite);
}

void NotesStore::rewrite(int area)
{
    ++m_edits[area];
    sendToWriter(area, wholeEdit(*m_documents[area]), true);
}

void NotesStore::sendToWriter(int area, const NotesEdit& edit, bool needsWrite)
{
    const quint64 counted = m_edits[area];
    if (edit.whole) {
        // The writer's thread gets a copy of its own, made complete here.
        QTextDocument* copy = m_documents[area]->clone();
        (void)copy->rootFrame();
        copy->moveToThread(m_thread);
        handOver(m_writer,
            [writer = m_writer, area, copy, counted, needsWrite] { writer->replace(area, copy, counted, needsWrite); });
        return;
    }
    NotesEdit forWriter = edit;
    forWriter.inserted = QTextDocumentFragment();
    handOver(m_writer, [writer = m_writer, area, forWriter, counted, needsWrite] {
        writer->apply(area, forWriter, counted, needsWrite);
    });
}

void NotesStore::publish(int area, const NotesEdit& edit, const void* source, bool needsWrite)
{
    if (needsWrite)
        ++m_edits[area];
    sendToWriter(area, edit, needsWrite);
    emit areaEdited(area, edit, source);
}

void NotesStore::takeEdit(int area, NotesEdit edit, const QTextDocument& sourceDocument, const void* source)
{
    if (area < 0 || area >= kAreaCount)
        return;
    // A range that does not reproduce its paragraphs (some list and format changes) travels whole.
    if (!applyEdit(*m_documents[area], edit)) {
        edit = wholeEdit(sourceDocument);
        applyEdit(*m_documents[area], edit);
    }
    publish(area, edit, source, true);
}

void NotesStore::setHtml(int area, const QString& html, const void* source)
{
    if (area < 0 || area >= kAreaCount)
        return;
    NotesEdit edit = wholeEdit(html);
    applyEdit(*m_documents[area], edit);
    publish(area, edit, source, true);
}

QString NotesStore::restoreVersion(int area, const QString& html)
{
    if (area < 0 || area >= kAreaCount)
        return QString();
    const QString problem = handOverAndWait(m_writer, [writer = m_writer, area] {
        return writer->keepVersion(area, noteshistory::Kind::Restore);
    }).value_or(tr("the notes could not be handed to their writer"));
    if (!problem.isEmpty())
        return problem;
    NotesEdit edit = replaceAllEdit(*m_documents[area], html);
    if (!applyEdit(*m_documents[area], edit)) {
        edit = wholeEdit(html);
        applyEdit(*m_documents[area], edit);
    }
    publish(area, edit, nullptr, true);
    return QString();
}

void NotesStore::setClock(std::function<QDateTime()> clock)
{
    handOver(m_writer, [writer = m_writer, clock] { writer->setClock(clock); });
}

bool NotesStore::flush()
{
    if (!hasUnsavedEdits())
        return true;
    // A call Qt drops unrun (see the destructor) is no write: it does not count as done.
    const QString problem = handOverAndWait(m_writer, [writer = m_writer] {
        return writer->writeNow();
    }).value_or(tr("the notes could not be handed to their writer"));
    // The writer's reports are queued behind this call: take them in now.
    QCoreApplication::sendPostedEvents(this);
    setWriteProblem(problem);
    return problem.isEmpty();
}

bool NotesStore::hasUnsavedEdits() const
{
    for (int area = 0; area < kAreaCount; ++area)
        if (m_written[area] < m_edits[area])
            return true;
    return false;
}

void NotesStore::setWriteProblem(const QString& problem)
{
    if (problem == m_writeProblem)
        return;
    m_writeProblem = problem;
    emit writeProblemChanged(problem);
}

void NotesStore::setNotice(const QString& notice)
{
    m_notice = notice;
    qCWarning(lcNotes).noquote() << notice;
    emit noticeChanged(notice);
}

QString NotesStore::saveAllAs(const QString& path) const
{
    QString html = QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Tolvo notes</title>"
                                  "</head><body>\n");
    for (int area = 0; area < kAreaCount; ++area)
        html += QStringLiteral("<h1>Notes %1</h1>\n").arg(area + 1) + bodyOf(m_documents[area]->toHtml()) + u'\n';
    html += QStringLiteral("</body></html>\n");
    return notesfiles::write(path, html);
}

void NotesStore::refresh()
{
    for (int area = 0; area < kAreaCount; ++area) {
        const QString path = notesfiles::filePath(m_folder, area);
        const FileStamp now = stampOf(path);
        if (now.size < 0 || Stamp { now.mtimeNs, now.size } == m_stamps[area] || m_written[area] < m_edits[area])
            continue;
        const notesfiles::ReadResult file = notesfiles::read(path);
        if (file.status == notesfiles::ReadResult::Status::Damaged) {
            const QString aside = notesfiles::setAside(path);
            setNotice(tr("The file of notes area %1 was damaged (%2); it was kept as %3, and the notes shown "
                         "here were written back.")
                          .arg(QString::number(area + 1), file.problem, aside.isEmpty() ? path : aside));
            rewrite(area);
            flush();
            continue;
        }
        if (file.status != notesfiles::ReadResult::Status::Read)
            continue;
        m_stamps[area] = { now.mtimeNs, now.size };
        if (file.html == m_documents[area]->toHtml())
            continue;
        // As one range, so that a window can undo what another process did (a restore, say).
        NotesEdit edit = replaceAllEdit(*m_documents[area], file.html);
        if (!applyEdit(*m_documents[area], edit)) {
            edit = wholeEdit(file.html);
            applyEdit(*m_documents[area], edit);
        }
        publish(area, edit, nullptr, false);
    }
}

} // namespace tolvo
