#pragma once
// tolvo-cli's command table and the conventions every command follows.
//
// A command gets its arguments (without the command word) and writes into the
// two buffers; main prints them only when the command returns, so output is
// never printed half. Exit codes: 0 done, 1 a file could not be read,
// 2 wrong usage, 3 a link or instance that could not be found.

#include <QString>
#include <QStringList>

namespace tolvo::cli {

enum Exit { Ok = 0, FileError = 1, UsageError = 2, NotFound = 3 };

struct Output {
    QString out; ///< standard output
    QString err; ///< standard error
};

struct Command {
    const char* name;
    const char* synopsis; ///< one line for --help
    bool needsGui;        ///< draws text or images: runs on a QGuiApplication (offscreen)
    int (*run)(const QStringList& args, Output& io);
};

/// Every command, in the order --help lists them.
const QList<Command>& commands();

/// Writes "tolvo-cli: <message>" and the usage hint to io.err; returns UsageError.
int usageError(Output& io, const QString& message);

} // namespace tolvo::cli
