// SPDX-License-Identifier: GPL-3.0-or-later
// A bare document application for screenshots and timing before the app's own entry point
// uses the document controller: opens the PDFs given, or with --benchmark-open FILE times one.
#include "document/BenchmarkOpen.h"
#include "document/DocumentController.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tolvo"));
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 2 && args[0] == QLatin1String("--benchmark-open"))
        return tolvo::runBenchmarkOpen(args[1]);
    tolvo::DocumentController controller;
    for (const QString& file : args)
        controller.openDocument(file);
    if (controller.documents().isEmpty())
        return 1;
    return app.exec();
}
