// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf/PopplerVersion.h"

#include <poppler-version.h>

namespace tolvo::pdf {

QString popplerVersion()
{
    return Poppler::Version::string();
}

} // namespace tolvo::pdf
