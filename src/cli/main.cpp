// tolvo-cli: the scriptable face of Tolvo.
#include "cli/CliCommand.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>
#include <memory>

using namespace tolvo::cli;

namespace {

QString helpText()
{
    QString text = QStringLiteral("Usage: tolvo-cli COMMAND [ARGUMENTS...]\n\n"
                                  "The command line of Tolvo, the PDF reader built around tolvo:// links.\n\n"
                                  "Commands:\n");
    for (const Command& c : commands())
        text += QStringLiteral("  %1\n").arg(QString::fromUtf8(c.synopsis));
    text += QStringLiteral("\nExit status: 0 done, 1 a file could not be read, 2 wrong usage, 3 not found.\n");
    return text;
}

void print(FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
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
        args << QString::fromLocal8Bit(argv[i]);

    if (args.isEmpty() || args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h")
        || args.first() == QLatin1String("help")) {
        print(stdout, helpText());
        return args.isEmpty() ? UsageError : Ok;
    }

    const QString name = args.takeFirst();
    const Command* command = nullptr;
    for (const Command& c : commands())
        if (name == QLatin1String(c.name))
            command = &c;

    Output io;
    int code;
    if (!command) {
        code = usageError(io, QStringLiteral("unknown command '%1'").arg(name));
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
        code = command->run(args, io);
    }
    print(stdout, io.out);
    print(stderr, io.err);
    return code;
}
