// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/NotesTermination.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace tolvo {

namespace {

int g_pipe[2] = { -1, -1 };

// Only async-signal-safe calls here: the main thread does the work when the byte arrives.
extern "C" void onTerminationSignal(int signal)
{
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

} // namespace

void installTerminationHandlers(std::function<void()> save, std::function<void()> saveAndQuit)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || g_pipe[0] >= 0)
        return;
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto* notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, app);
    QObject::connect(notifier, &QSocketNotifier::activated, app, [saveAndQuit] {
        unsigned char bytes[16];
        while (::read(g_pipe[0], bytes, sizeof bytes) > 0) { }
        saveAndQuit();
    });
    struct sigaction action { };
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : { SIGTERM, SIGINT, SIGHUP })
        ::sigaction(signal, &action, nullptr);

    if (auto* gui = qobject_cast<QGuiApplication*>(app))
        QObject::connect(gui, &QGuiApplication::commitDataRequest, app, [save](QSessionManager&) { save(); });
}

} // namespace tolvo
