// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A temporary home folder with files in it, and a defaults store beside it,
// for the routing tests. Nothing here touches the real home folder.

#include "support/MinimalPdf.h"

#include "routing/FileIdentity.h"
#include "routing/MovedFileSearch.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <memory>

namespace tolvo::test {

/// A PDF that differs from every other call's, another document each time (its own identifier).
inline QByteArray pdfBytes(int size = 4096)
{
    return minimalPdf(randomDocumentId(), size);
}

/// A home folder of its own; the PDFs' identifiers are read as a PDF reader would.
class TempHome {
public:
    TempHome()
    {
        setPermanentIdReader([](const QString& path) {
            QFile f(path);
            return f.open(QIODevice::ReadOnly) ? idInMinimalPdf(f.readAll()) : QByteArray();
        });
        for (const char* d : { "Documents", "Downloads", "Desktop", "config" })
            QDir(m_dir.path()).mkpath(QString::fromLatin1(d));
    }

    QString path(const QString& relative = QString()) const
    {
        return relative.isEmpty() ? m_dir.path() : m_dir.filePath(relative);
    }

    /// Writes bytes to a file below home, making its folders.
    QString write(const QString& relative, const QByteArray& bytes) const
    {
        const QString file = path(relative);
        QDir().mkpath(QFileInfo(file).absolutePath());
        QFile f(file);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(file));
        return file;
    }

    QString move(const QString& from, const QString& toRelative) const
    {
        const QString to = path(toRelative);
        QDir().mkpath(QFileInfo(to).absolutePath());
        if (!QFile::rename(from, to))
            qFatal("cannot move %s", qPrintable(from));
        return to;
    }

    /// Home with its usual folders, and time enough for slow (sanitizer) builds.
    SearchScope scope() const
    {
        SearchScope s;
        s.home = path();
        s.usualFolders = { path(QStringLiteral("Documents")), path(QStringLiteral("Downloads")),
            path(QStringLiteral("Desktop")), path() };
        s.budgetMs = 5000;
        return s;
    }

    /// A store of its own with every key registered.
    std::unique_ptr<Defaults> defaults() const
    {
        auto d = std::make_unique<Defaults>(path(QStringLiteral("config/Tolvo/defaults.json")));
        registerTolvoDefaults(*d);
        return d;
    }

private:
    QTemporaryDir m_dir;
};

} // namespace tolvo::test
