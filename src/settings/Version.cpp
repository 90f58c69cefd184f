// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/Version.h"

namespace tolvo {

QString tolvoVersion()
{
    return QStringLiteral(TOLVO_VERSION);
}

} // namespace tolvo
