// SPDX-License-Identifier: GPL-3.0-or-later
// Types into notes area 1 as a person would, then ends as asked.
//   notes_kill_helper FOLDER TEXT (wait|quit|term|burst)
// FOLDER holds the notes files and defaults.json. wait: stays until killed; quit: quits at once;
// term: stays with the termination handlers installed; burst: types TEXT over and over until killed.
// Prints "typed" once the last character of TEXT is in.
#include "document/NotesBinding.h"
#include "document/NotesStore.h"
#include "document/NotesTermination.h"
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
    const QString folder = QString::fromLocal8Bit(argv[1]);
    tolvo::Defaults defaults(folder + QStringLiteral("/defaults.json"));
    tolvo::registerTolvoDefaults(defaults);
    tolvo::NotesStore store(defaults, folder);
    QTextEdit view;
    tolvo::NotesBinding binding(&view, 0, store);
    view.clear();
    const QString text = QString::fromLocal8Bit(argv[2]);
    const QByteArray mode(argv[3]);
    if (mode == "term")
        tolvo::installTerminationHandlers([&store] { store.flush(); },
            [&store] {
                store.flush();
                QCoreApplication::exit(0);
            });

    int next = 0;
    QTimer keys;
    keys.setInterval(mode == "burst" ? 1 : 15);
    QObject::connect(&keys, &QTimer::timeout, [&] {
        if (next < text.size()) {
            view.textCursor().insertText(text.mid(next++, 1));
            return;
        }
        std::printf("typed\n");
        std::fflush(stdout);
        if (mode == "burst") {
            next = 0;
            view.textCursor().insertText(QStringLiteral("\n"));
            return;
        }
        keys.stop();
        if (mode == "quit")
            QCoreApplication::quit();
    });
    keys.start();
    return app.exec();
}
