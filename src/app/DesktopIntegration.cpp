// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/DesktopIntegration.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

Q_LOGGING_CATEGORY(lcDesktop, "tolvo.desktop")

namespace tolvo::desktop {

namespace {

// Marks the desktop files we write ourselves, so that we may rewrite them.
constexpr char kGeneratedMark[] = "X-Tolvo-Generated=true";

QString mimeappsPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/mimeapps.list");
}

QString quotedExec(const QString& path)
{
    // The desktop entry rules: quote arguments holding reserved characters.
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool needs = false;
    for (QChar c : path)
        needs = needs || reserved.contains(c);
    if (!needs)
        return path;
    QString escaped = path;
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
        .replace(QLatin1Char('"'), QLatin1String("\\\""))
        .replace(QLatin1Char('`'), QLatin1String("\\`"))
        .replace(QLatin1Char('$'), QLatin1String("\\$"));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

// Removes a desktop file only when it is one that Tolvo wrote.
bool removeGeneratedFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.readAll().contains(kGeneratedMark))
        return false;
    file.close();
    return file.remove();
}

// The caches that "Open With" and the default-application lookups read: the desktop
// database of the applications folder, and the user's MIME database when there is one.
void refreshDesktopDatabases(const QString& applicationsFolder)
{
    const QString desktopTool = QStandardPaths::findExecutable(QStringLiteral("update-desktop-database"));
    if (!desktopTool.isEmpty())
        QProcess::startDetached(desktopTool, { QStringLiteral("-q"), applicationsFolder });
    const QString mimeFolder
        = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/mime");
    const QString mimeTool = QStandardPaths::findExecutable(QStringLiteral("update-mime-database"));
    if (!mimeTool.isEmpty() && QFileInfo::exists(mimeFolder + QStringLiteral("/packages")))
        QProcess::startDetached(mimeTool, { mimeFolder });
}

bool writeText(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(bytes);
    return file.commit();
}

} // namespace

QString ensureDesktopFile(const QString& executablePath)
{
    const QString userFolder = QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation);
    const QString generated = userFolder + u'/' + QLatin1String(kGeneratedDesktopFileName);
    const QString installed
        = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, QString::fromLatin1(kDesktopFileName));
    if (!installed.isEmpty()) {
        // The package's file is the one to use; ours would only list Tolvo twice.
        bool removed = false;
        for (const QString& ours : { generated, userFolder + QStringLiteral("/tolvo.desktop") })
            removed = removeGeneratedFile(ours) || removed;
        if (removed)
            refreshDesktopDatabases(userFolder);
        return installed;
    }

    const QByteArray text = "[Desktop Entry]\n"
                            "Type=Application\n"
                            "Name=Tolvo\n"
                            "GenericName=PDF Reader\n"
                            "Comment=Read PDFs and follow tolvo:// links into them\n"
                            "Exec="
        + quotedExec(executablePath).toUtf8()
        + " %U\n"
          "Icon=io.github.tolvo.Tolvo\n"
          "Terminal=false\n"
          "MimeType=x-scheme-handler/tolvo;application/pdf;\n"
          "Categories=Office;Viewer;\n"
        + kGeneratedMark + "\n";
    QFile current(generated);
    if (current.open(QIODevice::ReadOnly) && current.readAll() == text)
        return generated;
    if (!writeText(generated, text)) {
        qCWarning(lcDesktop).noquote() << "Cannot write" << generated;
        return QString();
    }
    // Earlier versions wrote theirs under the installed file's old name.
    removeGeneratedFile(userFolder + QStringLiteral("/tolvo.desktop"));
    refreshDesktopDatabases(userFolder);
    return generated;
}

QString defaultHandler(const QString& mimeType)
{
    QFile file(mimeappsPath());
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    bool inDefaults = false;
    const QString prefix = mimeType + u'=';
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(u'['))
            inDefaults = line == QLatin1String("[Default Applications]");
        else if (inDefaults && line.startsWith(prefix))
            return line.mid(prefix.size()).section(u';', 0, 0).trimmed();
    }
    return QString();
}

bool setDefaultHandler(const QString& mimeType, const QString& desktopFile)
{
    const QString path = mimeappsPath();
    QStringList lines;
    {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            lines = QString::fromUtf8(file.readAll()).split(u'\n');
    }
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    const QString entry = mimeType + u'=' + desktopFile + u';';
    int section = -1;
    for (int i = 0; i < lines.size(); ++i)
        if (lines[i].trimmed() == QLatin1String("[Default Applications]"))
            section = i;
    if (section < 0) {
        if (!lines.isEmpty())
            lines << QString();
        lines << QStringLiteral("[Default Applications]") << entry;
    } else {
        int i = section + 1;
        bool replaced = false;
        for (; i < lines.size() && !lines[i].trimmed().startsWith(u'['); ++i) {
            if (lines[i].trimmed().startsWith(mimeType + u'=')) {
                lines[i] = entry;
                replaced = true;
            }
        }
        if (!replaced)
            lines.insert(section + 1, entry);
    }
    return writeText(path, (lines.join(u'\n') + u'\n').toUtf8());
}

void becomeSchemeHandler(const QString& executablePath)
{
    const QString desktopFile = ensureDesktopFile(executablePath);
    if (desktopFile.isEmpty())
        return;
    const QString id = QFileInfo(desktopFile).fileName();
    if (defaultHandler(QString::fromLatin1(kSchemeMimeType)) == id)
        return;
    if (!setDefaultHandler(QString::fromLatin1(kSchemeMimeType), id))
        qCWarning(lcDesktop).noquote() << "Cannot make Tolvo the handler of tolvo:// links in" << mimeappsPath();
}

} // namespace tolvo::desktop
