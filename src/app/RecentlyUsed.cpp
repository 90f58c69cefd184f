// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/RecentlyUsed.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace tolvo {

namespace {

constexpr char kBookmarkNs[] = "http://www.freedesktop.org/standards/desktop-bookmarks";
constexpr char kMimeNs[] = "http://www.freedesktop.org/standards/shared-mime-info";
constexpr char kApplicationName[] = "Tolvo";
constexpr char kExec[] = "'tolvo %u'";
// A list beyond this is not read into memory.
constexpr qint64 kMaxListBytes = 64 * 1024 * 1024;

QString stamp(const QDateTime& time)
{
    return time.toUTC().toString(Qt::ISODateWithMs);
}

void writeApplication(QXmlStreamWriter& w, const QString& when, int count)
{
    w.writeEmptyElement(QLatin1String(kBookmarkNs), QStringLiteral("application"));
    w.writeAttribute(QStringLiteral("name"), QLatin1String(kApplicationName));
    w.writeAttribute(QStringLiteral("exec"), QLatin1String(kExec));
    w.writeAttribute(QStringLiteral("modified"), when);
    w.writeAttribute(QStringLiteral("count"), QString::number(count));
}

void writeBookmark(QXmlStreamWriter& w, const QUrl& url, const QString& when)
{
    w.writeStartElement(QStringLiteral("bookmark"));
    w.writeAttribute(QStringLiteral("href"), QString::fromLatin1(url.toEncoded()));
    w.writeAttribute(QStringLiteral("added"), when);
    w.writeAttribute(QStringLiteral("modified"), when);
    w.writeAttribute(QStringLiteral("visited"), when);
    w.writeStartElement(QStringLiteral("info"));
    w.writeStartElement(QStringLiteral("metadata"));
    w.writeAttribute(QStringLiteral("owner"), QStringLiteral("http://freedesktop.org"));
    w.writeEmptyElement(QLatin1String(kMimeNs), QStringLiteral("mime-type"));
    w.writeAttribute(QStringLiteral("type"), QStringLiteral("application/pdf"));
    w.writeStartElement(QLatin1String(kBookmarkNs), QStringLiteral("applications"));
    writeApplication(w, when, 1);
    w.writeEndElement();
    w.writeEndElement();
    w.writeEndElement();
    w.writeEndElement();
}

QByteArray newList(const QUrl& url, const QString& when)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QXmlStreamWriter w(&buffer);
    w.setAutoFormatting(true);
    w.writeStartDocument();
    w.writeNamespace(QLatin1String(kBookmarkNs), QStringLiteral("bookmark"));
    w.writeNamespace(QLatin1String(kMimeNs), QStringLiteral("mime"));
    w.writeStartElement(QStringLiteral("xbel"));
    w.writeAttribute(QStringLiteral("version"), QStringLiteral("1.0"));
    writeBookmark(w, url, when);
    w.writeEndElement();
    w.writeEndDocument();
    return bytes;
}

// Copies the list token by token, updating the file's bookmark or adding it at the end.
std::optional<QByteArray> updatedList(const QByteArray& old, const QUrl& url, const QString& when, QString* problem)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QXmlStreamReader r(old);
    QXmlStreamWriter w(&buffer);
    int depth = 0;
    int targetDepth = -1; // the depth of the file's bookmark while inside it
    bool found = false;
    bool applicationSeen = false;
    while (!r.atEnd()) {
        r.readNext();
        if (r.hasError())
            break;
        switch (r.tokenType()) {
        case QXmlStreamReader::StartElement: {
            ++depth;
            const bool bookmark = depth == 2 && r.name() == QLatin1String("bookmark") && r.namespaceUri().isEmpty();
            const bool ours
                = bookmark && !found && QUrl(r.attributes().value(QStringLiteral("href")).toString()) == url;
            const bool ourApplication = targetDepth > 0 && r.name() == QLatin1String("application")
                && r.namespaceUri() == QLatin1String(kBookmarkNs)
                && r.attributes().value(QStringLiteral("name")) == QLatin1String(kApplicationName);
            if (!ours && !ourApplication) {
                w.writeCurrentToken(r);
                break;
            }
            w.writeStartElement(r.namespaceUri().toString(), r.name().toString());
            for (const QXmlStreamNamespaceDeclaration& ns : r.namespaceDeclarations())
                w.writeNamespace(ns.namespaceUri().toString(), ns.prefix().toString());
            QXmlStreamAttributes attributes;
            for (const QXmlStreamAttribute& a : r.attributes()) {
                const QString name = a.qualifiedName().toString();
                if (name == u"modified" || name == u"visited" || name == u"count" || name == u"timestamp")
                    continue;
                attributes.append(a);
            }
            attributes.append(QStringLiteral("modified"), when);
            if (ours) {
                attributes.append(QStringLiteral("visited"), when);
                found = true;
                targetDepth = depth;
            } else {
                const int count = r.attributes().value(QStringLiteral("count")).toInt();
                attributes.append(QStringLiteral("count"), QString::number(std::max(0, count) + 1));
                applicationSeen = true;
            }
            w.writeAttributes(attributes);
            break;
        }
        case QXmlStreamReader::EndElement:
            if (targetDepth > 0 && !applicationSeen && r.name() == QLatin1String("applications")
                && r.namespaceUri() == QLatin1String(kBookmarkNs)) {
                writeApplication(w, when, 1);
                applicationSeen = true;
            }
            if (depth == targetDepth)
                targetDepth = -1;
            if (depth == 1 && !found)
                writeBookmark(w, url, when);
            w.writeCurrentToken(r);
            --depth;
            break;
        default:
            w.writeCurrentToken(r);
            break;
        }
    }
    if (r.hasError()) {
        if (problem)
            *problem = QStringLiteral("it is not a list that can be read (%1, line %2)")
                           .arg(r.errorString())
                           .arg(r.lineNumber());
        return std::nullopt;
    }
    return bytes;
}

} // namespace

QString recentlyUsedPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/recently-used.xbel");
}

bool addToRecentlyUsed(const QString& xbelPath, const QString& path, const QDateTime& now, QString* problem)
{
    const QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    const QString when = stamp(now);
    QByteArray list;
    QFile file(xbelPath);
    if (file.exists()) {
        if (file.size() > kMaxListBytes || !file.open(QIODevice::ReadOnly)) {
            if (problem)
                *problem = QStringLiteral("it cannot be read");
            return false;
        }
        const QByteArray old = file.readAll();
        file.close();
        if (old.trimmed().isEmpty()) {
            list = newList(url, when);
        } else {
            const std::optional<QByteArray> updated = updatedList(old, url, when, problem);
            if (!updated)
                return false;
            list = *updated;
        }
    } else {
        list = newList(url, when);
    }
    QDir().mkpath(QFileInfo(xbelPath).absolutePath());
    QSaveFile out(xbelPath);
    if (!out.open(QIODevice::WriteOnly) || out.write(list) != list.size() || !out.commit()) {
        if (problem)
            *problem = out.errorString();
        return false;
    }
    return true;
}

} // namespace tolvo
