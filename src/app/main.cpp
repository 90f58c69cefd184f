// Tolvo's entry point: one instance per user. A later `tolvo FILE` or
// `tolvo URL` hands its arguments to the running instance and exits before
// any GUI is built.
#include "settings/Defaults.h"
#include "instance/InstanceProtocol.h"
#include "instance/SingleInstance.h"
#include "app/SoftwareUpdaterVersion.h"
#include "app/VantrelAppDelegate.h"
#include "document/BenchmarkOpen.h"

#include <QApplication>
#include <QIcon>
#include <QDir>
#include <QLoggingCategory>

#include <cstdio>
#include <cstring>

namespace {

constexpr char kUsage[] = "Usage: tolvo [FILE.pdf | tolvo://URL]...\n"
                          "       tolvo --benchmark-open FILE.pdf\n"
                          "Opens PDFs and follows tolvo:// links, in the running Tolvo if there is one.\n"
                          "See also tolvo-cli --help.\n";

void setIdentity()
{
    QCoreApplication::setOrganizationName(QString());
    QCoreApplication::setApplicationName(QStringLiteral("Tolvo"));
    QCoreApplication::setApplicationVersion(tolvo::updates::tolvoVersion());
}

} // namespace

int main(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    if (arguments.value(0) == QLatin1String("--help") || arguments.value(0) == QLatin1String("-h")) {
        std::fputs(kUsage, stdout);
        return 0;
    }

    // Registered before anything can read a key.
    tolvo::Defaults::standard();

    if (arguments.value(0) == QLatin1String("--benchmark-open")) {
        if (arguments.size() != 2) {
            std::fputs(kUsage, stderr);
            return 2;
        }
        QApplication app(argc, argv);
        setIdentity();
        return tolvo::runBenchmarkOpen(arguments[1]);
    }

    const QString cwd = QDir::currentPath();
    QStringList dropped;
    const tolvo::instance::Claim claim = tolvo::instance::claim(tolvo::instance::openMessages(arguments, cwd, &dropped));
    for (const QString& argument : dropped)
        std::fprintf(stderr, "tolvo: argument too long, ignored: %.80s...\n", argument.toLocal8Bit().constData());
    if (claim.role == tolvo::instance::Claim::Role::HandedOver)
        return 0;
    if (claim.role == tolvo::instance::Claim::Role::Failed && claim.instanceUnresponsive) {
        std::fprintf(stderr, "tolvo: %s\n", claim.problem.toLocal8Bit().constData());
        return 1;
    }
    if (claim.role == tolvo::instance::Claim::Role::Failed)
        std::fprintf(stderr, "tolvo: %s; running on its own\n", claim.problem.toLocal8Bit().constData());

    QApplication app(argc, argv);
    setIdentity();
    QApplication::setApplicationDisplayName(QStringLiteral("Tolvo"));
    QApplication::setDesktopFileName(QStringLiteral("tolvo"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/tolvo.svg")));
    QApplication::setQuitOnLastWindowClosed(true);

    tolvo::VantrelAppDelegate delegate(claim.listeningSocket);
    delegate.applicationDidFinishLaunching(arguments, cwd);
    return app.exec();
}
