// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/StartupTrace.h"

#include <QFile>

#include <ctime>
#include <unistd.h>

namespace tolvo {

Q_LOGGING_CATEGORY(lcStartup, "tolvo.startup", QtInfoMsg)

double millisecondsSinceProcessStart()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    // The command name may hold spaces and parentheses: the fields start after the last ")".
    const qsizetype close = line.lastIndexOf(')');
    if (close < 0)
        return -1;
    const QList<QByteArray> fields = line.mid(close + 2).split(' ');
    // Field 22 of the line (starttime) is the 20th after the name.
    if (fields.size() < 20)
        return -1;
    bool ok = false;
    const double ticks = fields[19].toDouble(&ok);
    const long perSecond = sysconf(_SC_CLK_TCK);
    timespec now {};
    if (!ok || perSecond <= 0 || clock_gettime(CLOCK_BOOTTIME, &now) != 0)
        return -1;
    const double startMs = ticks * 1000.0 / double(perSecond);
    return double(now.tv_sec) * 1000.0 + double(now.tv_nsec) / 1e6 - startMs;
}

void startupStep(const char* step)
{
    if (lcStartup().isDebugEnabled())
        qCDebug(lcStartup, "%.1f %s", millisecondsSinceProcessStart(), step);
}

} // namespace tolvo
