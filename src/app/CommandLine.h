// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What `tolvo ARGS...` asks for, read before any window or socket exists, so that
// --help, --version and a mistyped option never start the GUI.

#include <QString>
#include <QStringList>

namespace tolvo::app {

struct CommandLine {
    enum class Action {
        Open, ///< open the operands (PDFs and tolvo:// URLs), or start empty
        Help, ///< print the usage on standard output, exit 0
        Version, ///< print "tolvo VERSION", exit 0
        BenchmarkOpen, ///< time opening operands[0]
        UsageError, ///< print problem and the usage on standard error, exit 2
    };
    Action action = Action::Open;
    QStringList operands; ///< files and URLs in the order given, Qt's own options left out
    QString problem; ///< what was wrong, for UsageError
};

/// Reads the arguments after the program name. "--" ends the options; Qt's own
/// options (-platform NAME, -style NAME, -reverse, ...) are left for QApplication.
CommandLine parseCommandLine(const QStringList& arguments);

/// The usage text, ending in a line break; it lists the exit statuses.
QString usageText();

} // namespace tolvo::app
