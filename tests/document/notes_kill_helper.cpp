// SPDX-License-Identifier: GPL-3.0-or-later
// Types into notes area 1 as a person would, then either waits to be killed or quits.
//   notes_kill_helper DEFAULTS_FILE TEXT (wait|quit)
// Prints "typed" once the last character is in.
#include "document/NotesBinding.h"
#include "document/NotesStore.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"

#include <QApplication>
#include <QTextEdit>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 4)
        return 2;
    tolvo::Defaults defaults(QString::fromLocal8Bit(argv[1]));
    tolvo::registerTolvoDefaults(defaults);
    tolvo::NotesStore store(defaults);
    QTextEdit view;
    tolvo::NotesBinding binding(&view, 0, store);
    view.clear();
    const QString text = QString::fromLocal8Bit(argv[2]);
    const bool quit = QByteArray(argv[3]) == "quit";

    int next = 0;
    QTimer keys;
    keys.setInterval(15);
    QObject::connect(&keys, &QTimer::timeout, [&] {
        if (next < text.size()) {
            view.textCursor().insertText(text.mid(next++, 1));
            return;
        }
        keys.stop();
        std::printf("typed\n");
        std::fflush(stdout);
        if (quit)
            QCoreApplication::quit();
    });
    keys.start();
    return app.exec();
}
