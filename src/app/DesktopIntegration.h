// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Makes Tolvo the user's handler of tolvo:// links, so that a link clicked in
// a browser, a mail program or an office suite reaches it.

#include <QString>

namespace tolvo::desktop {

/// The application ID: the installed desktop file, icon and metainfo are named after it.
inline constexpr char kApplicationId[] = "io.github.tolvo.Tolvo";
inline constexpr char kDesktopFileName[] = "io.github.tolvo.Tolvo.desktop";
/// The desktop file written for a Tolvo that is not installed (a build tree): a name of its
/// own, so that it never hides an installed Tolvo from the menus.
inline constexpr char kGeneratedDesktopFileName[] = "io.github.tolvo.Tolvo.BuildTree.desktop";
inline constexpr char kSchemeMimeType[] = "x-scheme-handler/tolvo";

/// The desktop file that launches Tolvo: an installed one (and then any file written
/// earlier for a build tree is removed), else one written for the running binary into
/// $XDG_DATA_HOME/applications. The user's desktop database is refreshed after a change.
/// Empty on failure.
QString ensureDesktopFile(const QString& executablePath);

/// The default application of a MIME type in the user's mimeapps.list, or empty.
QString defaultHandler(const QString& mimeType);

/// Writes "mimeType=desktopFile" into [Default Applications] of the user's
/// mimeapps.list, keeping every other line. False when it could not be written.
bool setDefaultHandler(const QString& mimeType, const QString& desktopFile);

/// The whole step: a desktop file, then the default, when Tolvo is not the handler yet.
void becomeSchemeHandler(const QString& executablePath);

} // namespace tolvo::desktop
