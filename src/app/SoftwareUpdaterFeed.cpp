// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SoftwareUpdaterFeed.h"

#include "app/SoftwareUpdaterVersion.h"

#include <QXmlStreamReader>

namespace tolvo::updates {

namespace {

bool isRss(const QXmlStreamReader& xml, const char* name)
{
    return xml.namespaceUri().isEmpty() && xml.name() == QLatin1String(name);
}

bool isSparkle(const QXmlStreamReader& xml, const char* name)
{
    return xml.namespaceUri() == QLatin1String(kSparkleNamespace) && xml.name() == QLatin1String(name);
}

QString text(QXmlStreamReader& xml)
{
    return xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
}

QString sparkleAttribute(const QXmlStreamReader& xml, const char* name)
{
    return xml.attributes().value(QLatin1String(kSparkleNamespace), QLatin1String(name)).toString().trimmed();
}

AppcastItem readItem(QXmlStreamReader& xml)
{
    AppcastItem item;
    QString shortVersion;
    QString enclosureVersion;
    QString enclosureShortVersion;
    while (xml.readNextStartElement()) {
        if (isRss(xml, "title")) {
            item.title = text(xml);
        } else if (isRss(xml, "link")) {
            item.link = QUrl(text(xml));
        } else if (isSparkle(xml, "version")) {
            item.version = text(xml);
        } else if (isSparkle(xml, "shortVersionString")) {
            shortVersion = text(xml);
        } else if (isRss(xml, "enclosure")) {
            // Of several enclosures, the first that names a version speaks for the item.
            if (enclosureVersion.isEmpty()) {
                enclosureVersion = sparkleAttribute(xml, "version");
                enclosureShortVersion = sparkleAttribute(xml, "shortVersionString");
            }
            xml.skipCurrentElement();
        } else {
            xml.skipCurrentElement();
        }
    }
    // The item's own elements win over its enclosure's attributes.
    if (item.version.isEmpty())
        item.version = enclosureVersion;
    if (shortVersion.isEmpty())
        shortVersion = enclosureShortVersion;
    item.displayVersion = shortVersion.isEmpty() ? item.version : shortVersion;
    return item;
}

void readChannel(QXmlStreamReader& xml, Appcast& feed)
{
    while (xml.readNextStartElement()) {
        if (isRss(xml, "title"))
            feed.title = text(xml);
        else if (isRss(xml, "link"))
            feed.link = QUrl(text(xml));
        else if (isRss(xml, "item"))
            feed.items.append(readItem(xml));
        else
            xml.skipCurrentElement();
    }
}

bool isWebPage(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == QLatin1String("https") || scheme == QLatin1String("http"))
        && !url.host().isEmpty();
}

} // namespace

AppcastReading readAppcast(const QByteArray& bytes)
{
    AppcastReading reading;
    QXmlStreamReader xml(bytes);
    Appcast feed;
    bool rss = false;
    bool channel = false;
    if (xml.readNextStartElement()) {
        rss = isRss(xml, "rss");
        if (rss) {
            while (xml.readNextStartElement()) {
                if (isRss(xml, "channel") && !channel) {
                    channel = true;
                    readChannel(xml, feed);
                } else {
                    xml.skipCurrentElement();
                }
            }
        } else {
            reading.problem = QStringLiteral("the document is no RSS feed: its root element is <%1>")
                                  .arg(xml.qualifiedName().toString());
            return reading;
        }
    }
    // Read on to the end, so that damage after the feed is found too.
    while (!xml.atEnd())
        xml.readNext();
    if (xml.hasError()) {
        reading.problem
            = QStringLiteral("%1 (line %2, column %3)")
                  .arg(xml.errorString(), QString::number(xml.lineNumber()), QString::number(xml.columnNumber()));
    } else if (!rss) {
        reading.problem = QStringLiteral("the document is empty");
    } else if (!channel) {
        reading.problem = QStringLiteral("the feed has no <channel>");
    } else {
        reading.feed = std::move(feed);
    }
    return reading;
}

const AppcastItem* newestItem(const Appcast& feed)
{
    const AppcastItem* newest = nullptr;
    std::optional<Version> newestVersion;
    for (const AppcastItem& item : feed.items) {
        const std::optional<Version> version = parseVersion(item.version);
        if (!version)
            continue;
        if (!newestVersion || compareVersions(*version, *newestVersion) > 0) {
            newest = &item;
            newestVersion = version;
        }
    }
    return newest;
}

UpdateCheckResult decideUpdate(const QByteArray& bytes, const QString& currentVersion, const QUrl& fallbackPage)
{
    UpdateCheckResult result;
    const AppcastReading reading = readAppcast(bytes);
    if (!reading.feed) {
        result.kind = UpdateCheckResult::Kind::BadFeed;
        result.detail = reading.problem;
        return result;
    }
    const Appcast& feed = *reading.feed;
    if (feed.items.isEmpty()) {
        result.kind = UpdateCheckResult::Kind::NoReleases;
        return result;
    }
    const AppcastItem* newest = newestItem(feed);
    if (!newest) {
        result.kind = UpdateCheckResult::Kind::BadFeed;
        result.detail = QStringLiteral("no release in it names a version that can be read");
        return result;
    }
    result.newestVersion = newest->displayVersion;
    // A build whose own version cannot be read is treated as older than any release.
    if (compareVersions(newest->version, currentVersion).value_or(1) <= 0) {
        result.kind = UpdateCheckResult::Kind::UpToDate;
        return result;
    }
    result.kind = UpdateCheckResult::Kind::UpdateAvailable;
    result.page = isWebPage(newest->link) ? newest->link : isWebPage(feed.link) ? feed.link : fallbackPage;
    return result;
}

UpdateMessage describeUpdate(const UpdateCheckResult& result, const QString& currentVersion)
{
    using Kind = UpdateCheckResult::Kind;
    const QString feed = result.feed.toDisplayString();
    UpdateMessage message;
    message.warning = true;
    message.text = QStringLiteral("Tolvo could not check for updates.");
    switch (result.kind) {
    case Kind::UpToDate:
        message.warning = false;
        message.text = QStringLiteral("Tolvo is up to date.");
        message.informativeText = QStringLiteral("Tolvo %1 is the newest version available.").arg(currentVersion);
        break;
    case Kind::UpdateAvailable:
        message.warning = false;
        message.text = QStringLiteral("Tolvo %1 is available.").arg(result.newestVersion);
        message.informativeText = QStringLiteral("You have Tolvo %1. Install the new version with your "
                                                 "system's package manager or software centre, or from its "
                                                 "download page.")
                                      .arg(currentVersion);
        break;
    case Kind::BadAddress:
        message.informativeText = QStringLiteral("The update feed address \"%1\" is not a web address. Set another "
                                                 "with: tolvo-cli defaults TolvoSoftwareUpdateFeedURL ADDRESS")
                                      .arg(result.detail);
        break;
    case Kind::NetworkError:
        message.informativeText = QStringLiteral("The update server at %1 could not be reached: %2. Check your "
                                                 "network connection and try again.")
                                      .arg(result.feed.host().isEmpty() ? feed : result.feed.host(), result.detail);
        break;
    case Kind::Timeout:
        message.informativeText = QStringLiteral("The update server at %1 did not answer in time. Try again later.")
                                      .arg(result.feed.host().isEmpty() ? feed : result.feed.host());
        break;
    case Kind::HttpError:
        message.informativeText = QStringLiteral("The update server answered %1 %2 for %3.")
                                      .arg(result.httpStatus)
                                      .arg(result.detail, feed);
        break;
    case Kind::BadFeed:
        message.informativeText
            = QStringLiteral("The update feed at %1 could not be read: %2.").arg(feed, result.detail);
        break;
    case Kind::NoReleases:
        message.informativeText = QStringLiteral("The update feed at %1 lists no releases.").arg(feed);
        break;
    case Kind::Cancelled:
        message.text = QStringLiteral("The check for updates was cancelled.");
        message.warning = false;
        break;
    }
    return message;
}

} // namespace tolvo::updates
