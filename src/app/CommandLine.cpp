// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"

namespace tolvo::app {

namespace {

// QGuiApplication and QApplication read these themselves and drop them from argv.
bool isQtOptionWithValue(const QString& option)
{
    static const QStringList options = { QStringLiteral("-platform"), QStringLiteral("-platformpluginpath"),
        QStringLiteral("-platformtheme"), QStringLiteral("-plugin"), QStringLiteral("-qwindowgeometry"),
        QStringLiteral("-qwindowicon"), QStringLiteral("-qwindowtitle"), QStringLiteral("-session"),
        QStringLiteral("-style"), QStringLiteral("-stylesheet"), QStringLiteral("-display"), QStringLiteral("-name"),
        QStringLiteral("-title"), QStringLiteral("-geometry"), QStringLiteral("-visual") };
    return options.contains(option);
}

bool isQtFlag(const QString& option)
{
    static const QStringList flags = { QStringLiteral("-reverse"), QStringLiteral("-widgetcount"),
        QStringLiteral("-sync"), QStringLiteral("-nograb"), QStringLiteral("-dograb") };
    // "-style=fusion" and friends carry their value.
    return flags.contains(option) || (option.contains(u'=') && isQtOptionWithValue(option.section(u'=', 0, 0)));
}

CommandLine usageError(const QString& problem)
{
    CommandLine line;
    line.action = CommandLine::Action::UsageError;
    line.problem = problem;
    return line;
}

} // namespace

CommandLine parseCommandLine(const QStringList& arguments)
{
    CommandLine line;
    bool optionsDone = false;
    bool benchmark = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (optionsDone || !arg.startsWith(u'-') || arg == QLatin1String("-")) {
            line.operands << arg;
        } else if (arg == QLatin1String("--")) {
            optionsDone = true;
        } else if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            line.action = CommandLine::Action::Help;
            return line;
        } else if (arg == QLatin1String("--version")) {
            line.action = CommandLine::Action::Version;
            return line;
        } else if (arg == QLatin1String("--benchmark-open")) {
            benchmark = true;
        } else if (isQtOptionWithValue(arg)) {
            if (i + 1 >= arguments.size())
                return usageError(QStringLiteral("option '%1' needs a value").arg(arg));
            ++i;
        } else if (!isQtFlag(arg)) {
            return usageError(QStringLiteral("unknown option '%1'").arg(arg));
        }
    }
    if (benchmark) {
        if (line.operands.size() != 1)
            return usageError(QStringLiteral("--benchmark-open takes one FILE"));
        line.action = CommandLine::Action::BenchmarkOpen;
    }
    return line;
}

QString usageText()
{
    return QStringLiteral(
        "Usage: tolvo [OPTION]... [FILE.pdf | tolvo://URL]...\n"
        "Opens PDFs and follows tolvo:// links, in the running Tolvo if there is one:\n"
        "a later tolvo hands its arguments to it and exits at once.\n"
        "\n"
        "  -h, --help               show this help and exit\n"
        "      --version            show the version and exit\n"
        "      --benchmark-open FILE  print the milliseconds from start to the first page of FILE, then quit\n"
        "  --                       end of options: a FILE that begins with '-' follows\n"
        "\n"
        "Qt's own options (-platform NAME, -style NAME, -reverse, ...) are passed to Qt.\n"
        "\n"
        "Exit status: 0 done (or handed over to the running Tolvo), 1 the running Tolvo\n"
        "does not answer, 2 wrong usage.\n"
        "\n"
        "See also tolvo-cli --help, and man pages tolvo(1) and tolvo-cli(1).\n");
}

} // namespace tolvo::app
