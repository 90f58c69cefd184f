// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/DocumentMarks.h"

#include "document/MarkJournal.h"
#include "pdf/PdfDocument.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>

namespace tolvo {

namespace {

// The last edit of each id, in the order the ids were first edited.
std::vector<pdf::MarkEdit> latestEdits(const std::vector<pdf::MarkEdit>& edits)
{
    std::vector<pdf::MarkEdit> result;
    QHash<QString, size_t> at;
    for (const pdf::MarkEdit& edit : edits) {
        auto found = at.find(edit.id);
        if (found == at.end()) {
            at.insert(edit.id, result.size());
            result.push_back(edit);
        } else {
            result[*found] = edit;
        }
    }
    return result;
}

bool renameOver(const QString& from, const QString& to, QString* error)
{
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    *error = QString::fromLocal8Bit(std::strerror(errno));
    return false;
}

} // namespace

DocumentMarks::DocumentMarks(const pdf::Document& document, const QString& path, const QString& identity,
    const QString& dataFolder, QObject* parent)
    : QObject(parent)
    , m_document(document)
    , m_path(QFileInfo(path).absoluteFilePath())
    , m_identity(identity.isEmpty() ? QStringLiteral("path:") + QFileInfo(path).absoluteFilePath() : identity)
    , m_dataFolder(dataFolder)
{
    m_saveTimer.setSingleShot(true);
    m_saveTimer.setInterval(kSaveDelayMs);
    connect(&m_saveTimer, &QTimer::timeout, this, [this] { save(); });
}

DocumentMarks::~DocumentMarks() = default;

QString DocumentMarks::standardDataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QString DocumentMarks::journalPath() const
{
    return MarkJournal(m_dataFolder + QStringLiteral("/marks"), m_identity).filePath();
}

QString DocumentMarks::originalCopyPath() const
{
    const QByteArray hash = QCryptographicHash::hash(m_identity.toUtf8(), QCryptographicHash::Sha1).toHex();
    return m_dataFolder + QStringLiteral("/originals/") + QString::fromLatin1(hash) + QStringLiteral(".pdf");
}

QString DocumentMarks::add(pdf::Mark mark)
{
    if (mark.id.isEmpty())
        mark.id = pdf::newMarkId();
    const QString id = mark.id;
    const int page = mark.pageIndex;
    edit(pdf::MarkEdit { id, page, std::move(mark) });
    return id;
}

void DocumentMarks::change(const pdf::Mark& mark)
{
    edit(pdf::MarkEdit { mark.id, mark.pageIndex, mark });
}

void DocumentMarks::remove(const QString& id, int pageIndex)
{
    edit(pdf::MarkEdit { id, pageIndex, std::nullopt });
}

void DocumentMarks::edit(pdf::MarkEdit change)
{
    m_pending.push_back(std::move(change));
    m_pending = latestEdits(m_pending);
    // The journal first: from here on a crash loses nothing.
    MarkJournal(m_dataFolder + QStringLiteral("/marks"), m_identity).write(m_pending);
    emit marksChanged();
    if (!m_readOnly)
        m_saveTimer.start();
}

std::vector<pdf::Mark> DocumentMarks::unsavedMarks(int pageIndex) const
{
    std::vector<pdf::Mark> marks;
    for (const pdf::MarkEdit& edit : m_pending)
        if (edit.mark && (pageIndex < 0 || edit.pageIndex == pageIndex))
            marks.push_back(*edit.mark);
    return marks;
}

std::vector<pdf::MarkEdit> DocumentMarks::unsavedRemovals() const
{
    std::vector<pdf::MarkEdit> removals;
    for (const pdf::MarkEdit& edit : m_pending)
        if (!edit.mark)
            removals.push_back(edit);
    return removals;
}

void DocumentMarks::reportCannotWrite(const QString& reason)
{
    m_lastError = reason;
    m_readOnly = true;
    if (m_told)
        return;
    m_told = true;
    emit cannotWrite(reason);
}

bool DocumentMarks::keepOriginal()
{
    const QString copy = originalCopyPath();
    if (QFile::exists(copy))
        return true;
    if (!QDir().mkpath(QFileInfo(copy).absolutePath()))
        return false;
    // Copied under another name first, so that a half-written copy never passes for the original.
    const QString partial = copy + QStringLiteral(".part");
    QFile::remove(partial);
    if (!QFile::copy(m_path, partial))
        return false;
    QString error;
    if (!renameOver(partial, copy, &error)) {
        QFile::remove(partial);
        return false;
    }
    return true;
}

bool DocumentMarks::save()
{
    m_saveTimer.stop();
    if (m_pending.empty())
        return true;
    const QFileInfo info(m_path);
    const QString name = info.fileName();
    // A file its owner may not write is left alone, also by a user (root) who could write it anyway.
    if (!info.isWritable() || !(info.permissions() & QFileDevice::WriteOwner)) {
        reportCannotWrite(tr("%1 is read-only: your marks are kept by Tolvo but not written into the PDF. Use "
                             "File \u25b8 Save a Copy... to keep them in a PDF.")
                              .arg(name));
        return false;
    }
    QTemporaryFile temp(info.absolutePath() + QStringLiteral("/.") + name + QStringLiteral(".XXXXXX"));
    temp.setAutoRemove(false);
    if (!temp.open()) {
        reportCannotWrite(tr("The folder of %1 cannot be written: your marks are kept by Tolvo but not written into "
                             "the PDF. Use File \u25b8 Save a Copy... to keep them in a PDF.")
                              .arg(name));
        return false;
    }
    const QString tempPath = temp.fileName();
    temp.close();
    QString error;
    const std::vector<pdf::MarkEdit> written = m_pending;
    bool ok = m_document.writeMarks(written, tempPath, &error);
    if (ok && !keepOriginal()) {
        ok = false;
        error = tr("the original could not be kept in %1").arg(QFileInfo(originalCopyPath()).absolutePath());
    }
    if (ok) {
        QFile::setPermissions(tempPath, QFile::permissions(m_path));
        ok = renameOver(tempPath, m_path, &error);
    }
    if (!ok) {
        QFile::remove(tempPath);
        m_lastError = tr("Your marks could not be written into %1: %2").arg(name, error);
        qWarning().noquote() << m_lastError;
        return false;
    }
    m_lastError.clear();
    m_readOnly = false;
    m_pending.clear();
    MarkJournal(m_dataFolder + QStringLiteral("/marks"), m_identity).clear();
    emit fileRewritten();
    return true;
}

bool DocumentMarks::saveCopy(const QString& destination, QString* error)
{
    const QString target = QFileInfo(destination).absoluteFilePath();
    if (target == m_path) {
        if (save())
            return true;
        *error = m_lastError;
        return false;
    }
    const QString partial = target + QStringLiteral(".part");
    bool ok = false;
    if (m_pending.empty()) {
        QFile::remove(partial);
        ok = QFile::copy(m_path, partial);
        if (!ok)
            *error = tr("%1 could not be written").arg(QFileInfo(destination).fileName());
    } else {
        ok = m_document.writeMarks(m_pending, partial, error);
    }
    if (ok)
        ok = renameOver(partial, target, error);
    if (!ok)
        QFile::remove(partial);
    return ok;
}

std::vector<pdf::MarkEdit> DocumentMarks::journalEditsMissingFromFile() const
{
    const std::vector<pdf::MarkEdit> kept
        = latestEdits(MarkJournal(m_dataFolder + QStringLiteral("/marks"), m_identity).read());
    if (kept.empty())
        return {};
    std::map<int, QSet<QString>> names;
    std::vector<pdf::MarkEdit> missing;
    for (const pdf::MarkEdit& edit : kept) {
        if (edit.pageIndex >= m_document.pageCount())
            continue;
        auto found = names.find(edit.pageIndex);
        if (found == names.end()) {
            QSet<QString> onPage;
            for (const pdf::Annotation& annotation : m_document.annotations(edit.pageIndex))
                onPage.insert(annotation.name);
            found = names.emplace(edit.pageIndex, std::move(onPage)).first;
        }
        if (found->second.contains(edit.id) != edit.mark.has_value())
            missing.push_back(edit);
    }
    return missing;
}

void DocumentMarks::restoreJournal()
{
    const std::vector<pdf::MarkEdit> missing = journalEditsMissingFromFile();
    if (missing.empty())
        return discardJournal();
    for (const pdf::MarkEdit& edit : missing)
        m_pending.push_back(edit);
    m_pending = latestEdits(m_pending);
    MarkJournal(m_dataFolder + QStringLiteral("/marks"), m_identity).write(m_pending);
    emit marksChanged();
    if (!m_readOnly)
        m_saveTimer.start();
}

void DocumentMarks::discardJournal()
{
    MarkJournal(m_dataFolder + QStringLiteral("/marks"), m_identity).write(m_pending);
}

} // namespace tolvo
