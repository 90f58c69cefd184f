// SPDX-License-Identifier: GPL-3.0-or-later
// A small window for looking at the page view by hand and for screenshots:
//   tolvo-pageview-preview FILE [--mode single|continuous|two-up|two-up-continuous] [--book]
//                          [--scale S] [--page N] [--corners]
// With --corners the window holds four views side by side, each with the label box in
// another corner (options in a scratch store); otherwise one view that follows the
// user's own options. Build: cmake --build BUILD --target tolvo-pageview-preview
#include "pageview/LabelPDFView.h"
#include "pdf/PdfDocument.h"
#include "render/LabelOverlay.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QWidget>

using namespace tolvo;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("the PDF to show"));
    parser.addOption({ QStringLiteral("mode"), QStringLiteral("display mode"), QStringLiteral("mode"),
        QStringLiteral("continuous") });
    parser.addOption({ QStringLiteral("book"), QStringLiteral("first page alone") });
    parser.addOption(
        { QStringLiteral("scale"), QStringLiteral("scale factor (default: automatic)"), QStringLiteral("S") });
    parser.addOption({ QStringLiteral("page"), QStringLiteral("page index to go to"), QStringLiteral("N") });
    parser.addOption({ QStringLiteral("corners"), QStringLiteral("four views, one per box corner") });
    parser.process(app);
    if (parser.positionalArguments().size() != 1)
        parser.showHelp(2);

    const pdf::OpenResult opened = pdf::openDocument(parser.positionalArguments().first());
    if (!opened.document) {
        QMessageBox::warning(nullptr, QStringLiteral("Tolvo"), opened.error);
        return 1;
    }
    const QMap<QString, pageview::DisplayMode> modes = {
        { QStringLiteral("single"), pageview::DisplayMode::SinglePage },
        { QStringLiteral("continuous"), pageview::DisplayMode::SinglePageContinuous },
        { QStringLiteral("two-up"), pageview::DisplayMode::TwoUp },
        { QStringLiteral("two-up-continuous"), pageview::DisplayMode::TwoUpContinuous },
    };

    QTemporaryDir scratch;
    std::vector<std::unique_ptr<Defaults>> stores;
    QWidget window;
    auto* grid = new QGridLayout(&window);
    const QStringList corners = parser.isSet(QStringLiteral("corners")) ? QStringList { QStringLiteral("Top Left"),
        QStringLiteral("Top Right"), QStringLiteral("Bottom Left"), QStringLiteral("Bottom Right") }
                                                                        : QStringList { QString() };
    for (int i = 0; i < corners.size(); ++i) {
        auto* cell = new QWidget;
        auto* column = new QVBoxLayout(cell);
        column->setContentsMargins(0, 0, 0, 0);
        auto* view = new pageview::LabelPDFView;
        if (!corners[i].isEmpty()) {
            stores.push_back(std::make_unique<Defaults>(scratch.filePath(QStringLiteral("store%1.json").arg(i))));
            registerTolvoDefaults(*stores.back());
            stores.back()->setValue(QString::fromLatin1(keys::kRedBoxLocation), corners[i]);
            view->setDefaults(stores.back().get());
            column->addWidget(new QLabel(corners[i]));
        }
        column->addWidget(view, 1);
        view->setPrefix(QFileInfo(opened.document->filePath()).completeBaseName() + QLatin1Char('/'));
        view->setDisplayMode(
            modes.value(parser.value(QStringLiteral("mode")), pageview::DisplayMode::SinglePageContinuous));
        view->setDisplaysAsBook(parser.isSet(QStringLiteral("book")));
        view->setDocument(opened.document.get());
        if (parser.isSet(QStringLiteral("scale")))
            view->setScaleFactor(parser.value(QStringLiteral("scale")).toDouble());
        else
            view->setAutoScales(true);
        if (parser.isSet(QStringLiteral("page")))
            view->goToPage(parser.value(QStringLiteral("page")).toInt());
        // The target icon at the middle of the first page shown, as a location link leaves it.
        const int page = std::max(0, view->currentPage());
        view->setIconLocationData(pageview::makeIconLocationData(
            opened.document->pageLabel(page), opened.document->pageGeometry(page).cropBox.center()));
        grid->addWidget(cell, i / 2, i % 2);
    }
    window.resize(1280, 900);
    window.setWindowTitle(QStringLiteral("Tolvo page view"));
    window.show();
    return app.exec();
}
