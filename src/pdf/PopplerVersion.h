// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which Poppler draws the pages, for the About box.

#include <QString>

namespace tolvo::pdf {

/// The version of the Poppler library loaded at run time ("22.12.0").
QString popplerVersion();

} // namespace tolvo::pdf
