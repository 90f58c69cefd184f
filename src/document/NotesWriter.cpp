// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/NotesWriter.h"

#include "settings/HandOver.h"
#include "settings/NotesFiles.h"

#include <QFile>
#include <QLoggingCategory>
#include <QTextDocument>

#include <sys/stat.h>

#include <algorithm>

Q_LOGGING_CATEGORY(lcNotesWriter, "tolvo.notes")

namespace tolvo {

NotesWriter::NotesWriter(QString folder, int intervalMs)
    : m_folder(std::move(folder))
    , m_intervalMs(intervalMs)
    , m_clock([] { return QDateTime::currentDateTimeUtc(); })
{
    for (auto& document : m_documents)
        document = new QTextDocument(this);
}

void NotesWriter::setClock(Clock clock)
{
    m_clock = std::move(clock);
}

void NotesWriter::keepLaunchVersions(const std::array<QString, kAreaCount>& files)
{
    const QDateTime now = m_clock();
    for (int area = 0; area < kAreaCount; ++area) {
        if (files[area].isNull())
            continue;
        const QString why = noteshistory::keep(m_folder, area, files[area], noteshistory::Kind::Launch, now);
        if (!why.isEmpty())
            qCWarning(lcNotesWriter).noquote() << "No earlier version of notes area" << area + 1 << "kept:" << why;
        // It stands for the day's version too.
        m_versionDay[area] = now.toLocalTime().date();
    }
}

QString NotesWriter::keepVersion(int area, noteshistory::Kind kind)
{
    if (area < 0 || area >= kAreaCount)
        return QString();
    return noteshistory::keep(m_folder, area, m_documents[area]->toHtml(), kind, m_clock());
}

void NotesWriter::keepDailyVersion(int area)
{
    const QDateTime now = m_clock();
    const QDate today = now.toLocalTime().date();
    if (m_versionDay[area] == today)
        return;
    m_versionDay[area] = today;
    const notesfiles::ReadResult file = notesfiles::read(notesfiles::filePath(m_folder, area));
    if (file.status != notesfiles::ReadResult::Status::Read)
        return;
    // A version that cannot be kept must not keep the notes from being written.
    const QString why = noteshistory::keep(m_folder, area, file.html, noteshistory::Kind::Daily, now);
    if (!why.isEmpty())
        qCWarning(lcNotesWriter).noquote() << "No earlier version of notes area" << area + 1 << "kept:" << why;
}

NotesWriter::~NotesWriter() = default;

void NotesWriter::apply(int area, const NotesEdit& edit, quint64 counted, bool needsWrite)
{
    if (area < 0 || area >= kAreaCount)
        return;
    applyWriterEdit(*m_documents[area], edit);
    m_counted[area] = counted;
    if (!needsWrite)
        return;
    m_changed[area] = true;
    schedule();
}

void NotesWriter::replace(int area, QTextDocument* copy, quint64 counted, bool needsWrite)
{
    if (area < 0 || area >= kAreaCount) {
        delete copy;
        return;
    }
    copy->setParent(this);
    delete m_documents[area];
    m_documents[area] = copy;
    m_counted[area] = counted;
    if (!needsWrite)
        return;
    m_changed[area] = true;
    schedule();
}

void NotesWriter::schedule()
{
    if (!m_timer) {
        // Made here, in the writer's thread, so that it fires there.
        m_timer = new QTimer(this);
        m_timer->setSingleShot(true);
        connect(m_timer, &QTimer::timeout, this, [this] { writeNow(); });
    }
    if (m_timer->isActive())
        return;
    // The first edit after a quiet interval is written at once; later ones wait for the interval to pass.
    const qint64 wait = m_sinceWrite.isValid() ? m_intervalMs - m_sinceWrite.elapsed() : 0;
    m_timer->start(int(std::max<qint64>(0, wait)));
}

QString NotesWriter::writeNow()
{
    if (m_timer)
        m_timer->stop();
    m_sinceWrite.restart();
    QString problem;
    for (int area = 0; area < kAreaCount; ++area) {
        if (!m_changed[area])
            continue;
        keepDailyVersion(area);
        const QString path = notesfiles::filePath(m_folder, area);
        const QString why = notesfiles::write(path, m_documents[area]->toHtml());
        if (!why.isEmpty()) {
            problem = why;
            continue;
        }
        m_changed[area] = false;
        struct stat st { };
        ::stat(QFile::encodeName(path).constData(), &st);
        handingOver(this);
        emit written(
            area, m_counted[area], qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec, qint64(st.st_size));
    }
    if (problem != m_problem) {
        if (!problem.isEmpty())
            qCWarning(lcNotesWriter).noquote()
                << "The notes could not be saved in" << m_folder << ":" << problem << "- trying again";
        m_problem = problem;
        handingOver(this);
        emit problemChanged(problem);
    }
    if (!problem.isEmpty())
        schedule();
    return problem;
}

} // namespace tolvo
