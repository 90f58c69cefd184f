// SPDX-License-Identifier: GPL-3.0-or-later
// tolvo-cli: the scriptable face of Tolvo.
#include "cli/CliCommand.h"
#include "cli/FileNames.h"
#include "cli/PdfPassword.h"

#include "pdf/DocumentId.h"
#include "routing/FileIdentity.h"
#include "settings/Version.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>
#include <memory>
#include <poll.h>
#include <unistd.h>

using namespace tolvo::cli;

namespace {

QString helpText()
{
    QString text = QStringLiteral("Usage: tolvo-cli COMMAND [ARGUMENTS...]\n"
                                  "       tolvo-cli --help | --version\n\n"
                                  "The command line of Tolvo, the PDF reader built around tolvo:// links.\n"
                                  "tolvo-cli COMMAND --help tells more about one command.\n\n"
                                  "Commands:\n");
    for (const Command& c : commands())
        text += QStringLiteral("  %1\n").arg(QString::fromUtf8(c.synopsis));
    text += QStringLiteral("\nConventions: --json prints JSON (search: one object per line, as rows are found);\n"
                           "-o - and a FILE of - are standard output and standard input; file names may\n"
                           "be in any encoding.\n\n");
    text += QLatin1String(kPasswordHelp) + u'\n';
    text += QLatin1String(kExitStatusHelp);
    return text;
}

void print(FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

// A pipe whose reading end has closed polls as an error on the writing end. SIGPIPE would end the
// process only at its next write, which for a search may be seconds after `head -1` has ended.
bool stdoutReaderGone()
{
    pollfd out { STDOUT_FILENO, POLLOUT, 0 };
    return ::poll(&out, 1, 0) == 1 && (out.revents & (POLLERR | POLLHUP)) != 0;
}

void printOutput(Output& io)
{
    print(stdout, withShownNames(io.out));
    std::fwrite(io.binary.constData(), 1, size_t(io.binary.size()), stdout);
    std::fflush(stdout);
    print(stderr, withShownNames(io.err));
    io.out.clear();
    io.binary.clear();
    io.err.clear();
}

} // namespace

int tolvo::cli::usageError(Output& io, const QString& message)
{
    io.err += QStringLiteral("tolvo-cli: %1\nTry 'tolvo-cli --help'.\n").arg(message);
    return UsageError;
}

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << argumentFromBytes(QByteArray(argv[i]));

    if (args.isEmpty()) {
        print(stderr, helpText());
        return UsageError;
    }
    if (args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h")
        || args.first() == QLatin1String("help")) {
        print(stdout, helpText());
        return Ok;
    }
    if (args.first() == QLatin1String("--version")) {
        print(stdout, QStringLiteral("tolvo-cli %1\n").arg(tolvo::tolvoVersion()));
        return Ok;
    }

    const QString name = args.takeFirst();
    const Command* command = nullptr;
    for (const Command& c : commands())
        if (name == QLatin1String(c.name))
            command = &c;

    Output io;
    io.sink = printOutput;
    io.readerGone = stdoutReaderGone;
    int code;
    if (!command) {
        code = usageError(io,
            name.startsWith(u'-') ? QStringLiteral("unknown option '%1'").arg(name)
                                  : QStringLiteral("unknown command '%1'").arg(name));
    } else if (const std::optional<QString> problem = takePasswordOption(args)) {
        code = usageError(io, *problem);
    } else {
        std::unique_ptr<QCoreApplication> app;
        if (command->needsGui) {
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
                qputenv("QT_QPA_PLATFORM", "offscreen");
            app = std::make_unique<QGuiApplication>(argc, argv);
        } else {
            app = std::make_unique<QCoreApplication>(argc, argv);
        }
        QCoreApplication::setOrganizationName(QString());
        QCoreApplication::setApplicationName(QStringLiteral("Tolvo"));
        QCoreApplication::setApplicationVersion(tolvo::tolvoVersion());
        // File references tell documents apart by the PDF's own identifier.
        tolvo::setPermanentIdReader(tolvo::pdf::permanentDocumentId);
        code = command->run(args, io);
    }
    printOutput(io);
    return code;
}
