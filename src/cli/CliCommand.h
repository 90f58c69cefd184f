// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// tolvo-cli's command table and the conventions every command follows.
//
// A command gets its arguments (without the command word) and writes into the
// buffers; main prints them when the command returns, so a failed command
// never leaves half its output behind. A command whose rows come slowly
// (search) flushes each finished row. The exit codes mean the same in every command.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

namespace tolvo::cli {

/// 0 done; 1 a file could not be read or written; 2 wrong usage; 3 something named was not
/// found: a page, an entry, a link's PDF or place, annotations, the running Tolvo.
enum Exit { Ok = 0, FileError = 1, UsageError = 2, NotFound = 3 };

/// The exit statuses as every help text gives them.
inline constexpr char kExitStatusHelp[]
    = "Exit status: 0 done, 1 a file could not be read or written, 2 wrong usage,\n"
      "3 not found (a page, a TOC entry, a link's PDF or place, annotations, the running Tolvo).\n";

struct Output {
    QString out; ///< standard output
    QByteArray binary; ///< standard output after out, as bytes (an image written to "-")
    QString err; ///< standard error
    /// Set by main: prints what the buffers hold and empties them. In-process callers leave it unset.
    std::function<void(Output&)> sink;
    /// Hands the finished part of the output on now, for output that comes row by row.
    void flush()
    {
        if (sink)
            sink(*this);
    }
    /// Set by main: whoever read standard output has gone (the end of `| head -1`).
    std::function<bool()> readerGone;
    /// Whether a command that prints row by row may stop: nobody reads the rows any more.
    bool abandoned() const { return readerGone && readerGone(); }
};

struct Command {
    const char* name;
    const char* synopsis; ///< one line for --help
    bool needsGui; ///< draws text or images: runs on a QGuiApplication (offscreen)
    int (*run)(const QStringList& args, Output& io);
};

/// Every command, in the order --help lists them.
const QList<Command>& commands();

/// Writes "tolvo-cli: <message>" and the usage hint to io.err; returns UsageError.
int usageError(Output& io, const QString& message);

} // namespace tolvo::cli
