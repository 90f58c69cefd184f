#include "settings/Version.h"

namespace tolvo {

QString tolvoVersion()
{
    return QStringLiteral(TOLVO_VERSION);
}

} // namespace tolvo
