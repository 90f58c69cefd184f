// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The update feed: an RSS "appcast" as software-update frameworks publish it,
// and what it means for this build.
//
// A release is an <item> whose version stands in <sparkle:version> or in the
// sparkle:version attribute of its <enclosure>; sparkle:shortVersionString, as
// element or attribute, is the version shown to the user, and <link> the page
// to open. Tolvo compares the machine version with its own.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

namespace tolvo::updates {

/// The namespace of the sparkle: elements and attributes.
inline constexpr char kSparkleNamespace[] = "http://www.andymatuschak.org/xml-namespaces/sparkle";

/// One release of the feed.
struct AppcastItem {
    QString title;
    /// The version compared, as written; empty when the item names none.
    QString version;
    /// The version shown to the user: the short version string, else the version.
    QString displayVersion;
    /// The release's page; empty when the item has none.
    QUrl link;
};

/// A feed read from its bytes.
struct Appcast {
    QString title;
    QUrl link;
    QList<AppcastItem> items;
};

/// The feed, or why the bytes are no feed.
struct AppcastReading {
    std::optional<Appcast> feed;
    QString problem;
};

/// Reads an RSS 2.0 feed. Bytes that are not well-formed XML, or XML whose
/// root is not <rss> with a <channel>, give a problem and no feed.
AppcastReading readAppcast(const QByteArray& bytes);

/// The item with the highest readable version (the first of equal ones), or
/// nullptr when no item carries one.
const AppcastItem* newestItem(const Appcast& feed);

/// The answer to one check for updates.
struct UpdateCheckResult {
    enum class Kind {
        UpToDate,
        UpdateAvailable,
        /// The feed address setting is no http, https or file address.
        BadAddress,
        /// No connection: no network, host not found, refused, closed early.
        NetworkError,
        Timeout,
        /// The server answered with an HTTP error status.
        HttpError,
        /// The answer is no feed, or no item of it names a readable version.
        BadFeed,
        /// The feed is fine but lists no releases.
        NoReleases,
        /// The user cancelled the check.
        Cancelled,
    };
    Kind kind = Kind::BadFeed;
    /// The feed's address.
    QUrl feed;
    /// The newest version found, as shown (UpToDate, UpdateAvailable).
    QString newestVersion;
    /// The page of the new version (UpdateAvailable).
    QUrl page;
    /// The HTTP status (HttpError), else 0.
    int httpStatus = 0;
    /// What went wrong, in words: the network's error text, the HTTP reason, the XML problem.
    QString detail;
};

/// Reads the feed bytes and compares the newest release with currentVersion.
/// The new version's page is its own link, else the feed's, else fallbackPage;
/// only http and https pages are taken from a feed.
UpdateCheckResult decideUpdate(const QByteArray& bytes, const QString& currentVersion, const QUrl& fallbackPage);

/// What the user is told about a result.
struct UpdateMessage {
    QString text;
    QString informativeText;
    bool warning = false;
};
UpdateMessage describeUpdate(const UpdateCheckResult& result, const QString& currentVersion);

} // namespace tolvo::updates
