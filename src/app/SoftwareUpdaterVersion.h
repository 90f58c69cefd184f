// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Version numbers as release feeds write them, and their order.

#include <QString>
#include <QStringList>

#include <optional>

namespace tolvo::updates {

/// The version of this build of Tolvo, "major.minor.patch".
QString tolvoVersion();

/// A version read from text: dotted numbers, then an optional pre-release part.
/// "v1.2", "1.2.0", "1.2-beta.3", "1.2b3", "1.2~rc1" and "1.2+build7" all read.
struct Version {
    /// The dotted numbers as digit strings without leading zeros, trailing zero
    /// components dropped: "1.10.0" holds {"1", "10"}. Kept as text, so that no
    /// number is too long to compare.
    QStringList numbers;
    /// The pre-release identifiers ("beta", "3"), lower case; empty for a release.
    QStringList prerelease;
};

/// The version in text, or nothing when the text does not start with a number.
std::optional<Version> parseVersion(const QString& text);

/// Negative, zero or positive as a is older than, the same as or newer than b.
/// 1.10 is newer than 1.9, 1.0 equals 1.0.0, a pre-release comes before its
/// release (1.0-rc1 < 1.0) and after the version before it (0.9 < 1.0-rc1);
/// pre-releases order dev < alpha < beta < pre < rc < other words, then by number.
int compareVersions(const Version& a, const Version& b);
/// Both texts parsed first; nothing when either is not a version.
std::optional<int> compareVersions(const QString& a, const QString& b);

} // namespace tolvo::updates
