// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every address outside Tolvo that the program opens: the web page, the
// software-centre page, the support mail address and the update feed.

#include <QString>
#include <QUrl>

namespace tolvo::addresses {

/// The product's web page; the help, tutorial and support commands all open it.
inline constexpr char kWebPage[] = "https://tolvo.github.io/";
/// Tolvo's page in the desktop's software centre (GNOME Software, KDE Discover), by its AppStream id.
inline constexpr char kStorePage[] = "appstream:io.github.tolvo.Tolvo";
/// The same page on the web, for desktops without a software centre.
inline constexpr char kStoreWebPage[] = "https://flathub.org/apps/io.github.tolvo.Tolvo";
/// Where support and feedback mails go.
inline constexpr char kSupportEmail[] = "support@tolvo.github.io";
/// The update feed read by "Check for Updates..." unless the user set another.
inline constexpr char kAppcastFeed[] = "https://tolvo.github.io/appcast.xml";

/// The subjects of the two mail commands.
inline constexpr char kSupportSubject[] = "Help Using Tolvo v1.2";
inline constexpr char kFeedbackSubject[] = "Feedback on Tolvo v1.2";

/// A mailto: link to address with the subject percent-encoded in its query, so
/// that spaces, "&", "+", "#" and non-ASCII letters reach the mail program unchanged.
QUrl mailtoUrl(const QString& address, const QString& subject);

} // namespace tolvo::addresses
