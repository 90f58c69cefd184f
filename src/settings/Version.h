// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The version of this build, for --version, the About box and the update check.

#include <QString>

namespace tolvo {

/// "major.minor.patch", as the project declares it.
QString tolvoVersion();

} // namespace tolvo
