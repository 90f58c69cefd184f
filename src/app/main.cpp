// SPDX-License-Identifier: GPL-3.0-or-later
// Tolvo's entry point: one instance per user. A later `tolvo FILE` or
// `tolvo URL` hands its arguments to the running instance and exits before
// any GUI is built.
#include "app/CommandLine.h"
#include "app/DesktopIntegration.h"
#include "app/FontWarmUp.h"
#include "app/VantrelAppDelegate.h"
#include "document/BenchmarkOpen.h"
#include "document/OpenAhead.h"
#include "instance/InstanceProtocol.h"
#include "instance/SingleInstance.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"
#include "settings/FirstViewMemory.h"
#include "settings/PlaceMemory.h"
#include "settings/StartupTrace.h"
#include "settings/Version.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QLoggingCategory>

#include <cstdio>
#include <optional>

namespace {

void setIdentity()
{
    QCoreApplication::setOrganizationName(QString());
    QCoreApplication::setApplicationName(QStringLiteral("Tolvo"));
    QCoreApplication::setApplicationVersion(tolvo::tolvoVersion());
}

void print(FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

// The first operand when it names a file (not a link), as the document controller will ask for it.
QString firstFileOperand(const QStringList& operands, const QString& cwd)
{
    if (operands.isEmpty() || operands.first().contains(QLatin1String("://"))
        || operands.first().startsWith(QLatin1String("file:")))
        return QString();
    const QFileInfo file(QDir(cwd).absoluteFilePath(operands.first()));
    return file.isFile() ? file.absoluteFilePath() : QString();
}

// What the first window's first page depends on besides the PDF, as the window will find it.
tolvo::FirstPageInputs firstPageInputs()
{
    tolvo::Defaults& defaults = tolvo::Defaults::standard();
    tolvo::FirstPageInputs inputs;
    if (defaults.boolForKey(QString::fromLatin1(tolvo::keys::kNightMode)))
        inputs.style = defaults.boolForKey(QString::fromLatin1(tolvo::keys::kNightModeKeepsImages))
            ? tolvo::PageStyle::NightKeepingImages
            : tolvo::PageStyle::Night;
    inputs.placesPath = tolvo::PlaceMemory::standardPath();
    inputs.firstViewsPath = tolvo::FirstViewMemory::standardPath();
    return inputs;
}

} // namespace

int main(int argc, char** argv)
{
    tolvo::startupStep("main");
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QFile::decodeName(argv[i]);

    // Answered before anything else starts: no window, no socket, no settings file.
    const tolvo::app::CommandLine line = tolvo::app::parseCommandLine(arguments);
    switch (line.action) {
    case tolvo::app::CommandLine::Action::Help:
        print(stdout, tolvo::app::usageText());
        return 0;
    case tolvo::app::CommandLine::Action::Version:
        print(stdout, QStringLiteral("tolvo %1\n").arg(tolvo::tolvoVersion()));
        return 0;
    case tolvo::app::CommandLine::Action::UsageError:
        print(stderr, QStringLiteral("tolvo: %1\n").arg(line.problem) + tolvo::app::usageText());
        return 2;
    case tolvo::app::CommandLine::Action::Open:
    case tolvo::app::CommandLine::Action::BenchmarkOpen:
        break;
    }

    tolvo::startupStep("arguments read");
    // Registered before anything can read a key.
    tolvo::Defaults::standard();

    const QString cwd = QDir::currentPath();
    QStringList dropped;
    const tolvo::instance::Claim claim
        = tolvo::instance::claim(tolvo::instance::openMessages(line.operands, cwd, &dropped));
    for (const QString& argument : dropped)
        std::fprintf(stderr, "tolvo: argument too long, ignored: %s...\n", argument.left(80).toLocal8Bit().constData());
    // What was asked for did not all happen: say so in the exit status too.
    const int droppedStatus = dropped.isEmpty() ? 0 : 2;
    if (claim.role == tolvo::instance::Claim::Role::HandedOver)
        return droppedStatus;
    if (claim.role == tolvo::instance::Claim::Role::Failed && claim.instanceUnresponsive) {
        std::fprintf(stderr, "tolvo: %s\n", claim.problem.toLocal8Bit().constData());
        return 1;
    }
    if (claim.role == tolvo::instance::Claim::Role::Failed)
        std::fprintf(stderr, "tolvo: %s; running on its own\n", claim.problem.toLocal8Bit().constData());

    tolvo::startupStep("instance claimed");
    // Named before the folders that follow from the name are asked for.
    setIdentity();
    // The PDF a plain `tolvo FILE` names is read while Qt starts and the window is made, and
    // its first page drawn.
    std::optional<tolvo::OpenAhead> ahead;
    if (const QString first = firstFileOperand(line.operands, cwd); !first.isEmpty())
        ahead.emplace(first, firstPageInputs());
    const tolvo::app::FontWarmUp fonts;
    QApplication app(argc, argv);
    tolvo::startupStep("application made");
    QApplication::setApplicationDisplayName(QStringLiteral("Tolvo"));
    QApplication::setDesktopFileName(QString::fromLatin1(tolvo::desktop::kApplicationId));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/tolvo.svg")));
    QApplication::setQuitOnLastWindowClosed(true);

    tolvo::VantrelAppDelegate delegate(claim.listeningSocket);
    delegate.applicationDidFinishLaunching(line.operands, cwd);
    // The benchmark takes the way of a plain start and ends at the first page on screen.
    if (line.action == tolvo::app::CommandLine::Action::BenchmarkOpen)
        tolvo::quitWhenFirstPageShown(*delegate.documentController());
    tolvo::startupStep("launched");
    const int status = app.exec();
    return status != 0 ? status : droppedStatus;
}
