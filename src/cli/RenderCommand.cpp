// SPDX-License-Identifier: GPL-3.0-or-later
// tolvo-cli render: one page as the page view draws it, the prefix and label box included.
#include "cli/CliCommand.h"
#include "cli/FileNames.h"
#include "cli/PdfPassword.h"
#include "pdf/PdfDocument.h"
#include "render/DisplaySpace.h"
#include "render/LabelOverlay.h"
#include "routing/DocumentPrefix.h"
#include "settings/Defaults.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QPainter>

#include <cmath>

namespace tolvo::cli {

namespace {

const char* const renderUsage = "Usage: tolvo-cli render FILE --page LABEL [--dpi N] [--prefix P] -o OUT.png\n"
                                "Draws the page labelled LABEL (the first page that carries it) at N dots per inch\n"
                                "(default 96; 72 is one pixel per point), with the red box of prefix and page label\n"
                                "where the options TolvoPDFViewRedBoxLocationPref and TolvoPDFViewRedBoxSizePref put\n"
                                "it, and writes it as a PNG image. P is the prefix shown in the box; by default the\n"
                                "prefix that links to FILE start with (routed, auto-matched, or made from its name).\n"
                                "-o - writes the image to standard output.\n";

constexpr int kDefaultDpi = 96;
constexpr int kMaxDpi = 2400;

struct RenderArguments {
    QString file;
    QString page;
    QString output;
    QString prefix;
    bool hasPrefix = false;
    int dpi = kDefaultDpi;
    bool help = false;
};

// Parses the arguments; a usage error is written to io and gives nothing.
std::optional<RenderArguments> parseRender(const QStringList& args, Output& io, int* code)
{
    RenderArguments parsed;
    bool hasPage = false;
    bool optionsDone = false;
    QStringList positional;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        auto value = [&](QString* into) {
            if (i + 1 >= args.size()) {
                *code = usageError(io, QStringLiteral("render: %1 needs a value").arg(arg));
                return false;
            }
            *into = args[++i];
            return true;
        };
        if (optionsDone || !arg.startsWith(QLatin1Char('-')) || arg.size() == 1) {
            positional << arg;
        } else if (arg == QLatin1String("--")) {
            optionsDone = true;
        } else if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            parsed.help = true;
        } else if (arg == QLatin1String("--page")) {
            if (!value(&parsed.page))
                return std::nullopt;
            hasPage = true;
        } else if (arg == QLatin1String("--prefix")) {
            if (!value(&parsed.prefix))
                return std::nullopt;
            parsed.hasPrefix = true;
        } else if (arg == QLatin1String("-o") || arg == QLatin1String("--output")) {
            if (!value(&parsed.output))
                return std::nullopt;
        } else if (arg == QLatin1String("--dpi")) {
            QString text;
            if (!value(&text))
                return std::nullopt;
            bool ok = false;
            parsed.dpi = text.toInt(&ok);
            if (!ok || parsed.dpi < 1 || parsed.dpi > kMaxDpi) {
                *code = usageError(io,
                    QStringLiteral("render: --dpi takes a whole number from 1 to %1, not '%2'").arg(kMaxDpi).arg(text));
                return std::nullopt;
            }
        } else {
            *code = usageError(io, QStringLiteral("render: unknown option '%1'").arg(arg));
            return std::nullopt;
        }
    }
    if (parsed.help)
        return parsed;
    if (positional.size() != 1) {
        *code = usageError(io, QStringLiteral("render takes one FILE"));
        return std::nullopt;
    }
    parsed.file = positional.first();
    if (!hasPage) {
        *code = usageError(io, QStringLiteral("render: --page LABEL is missing"));
        return std::nullopt;
    }
    if (parsed.output.isEmpty()) {
        *code = usageError(io, QStringLiteral("render: -o OUT.png is missing"));
        return std::nullopt;
    }
    return parsed;
}

} // namespace

int runRender(const QStringList& args, Output& io)
{
    int code = UsageError;
    const std::optional<RenderArguments> parsed = parseRender(args, io, &code);
    if (!parsed)
        return code;
    if (parsed->help) {
        io.out += QLatin1String(renderUsage);
        return Ok;
    }

    const pdf::OpenResult opened = openPdf(parsed->file);
    if (!opened.document) {
        io.err += QStringLiteral("tolvo-cli: %1\n").arg(opened.error);
        return FileError;
    }
    const pdf::Document& doc = *opened.document;
    const QStringList labels = doc.pageLabels();
    const int pageIndex = int(labels.indexOf(parsed->page));
    if (pageIndex < 0) {
        io.err += QStringLiteral("tolvo-cli: no page of %1 is labelled '%2'\n").arg(parsed->file, parsed->page);
        return NotFound;
    }

    const double scale = parsed->dpi / 72.0;
    QImage image = doc.render(pageIndex, scale);
    if (image.isNull()) {
        io.err += QStringLiteral("tolvo-cli: page '%1' of %2 could not be drawn at %3 dpi\n")
                      .arg(parsed->page, parsed->file, QString::number(parsed->dpi));
        return FileError;
    }
    image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);

    Defaults& defaults = Defaults::standard();
    pageview::LabelOverlay overlay;
    overlay.location = QString::fromLatin1(pageview::kLocationBottomRight); // as a new window starts
    pageview::readLabelBoxOptions(defaults, overlay);
    overlay.prefix = parsed->hasPrefix
        ? parsed->prefix
        : defaultPrefixForFile(defaults, QDir::cleanPath(QFileInfo(shownName(parsed->file)).absoluteFilePath()));
    overlay.pageLabel = labels.value(pageIndex);
    const pdf::PageGeometry geometry = doc.pageGeometry(pageIndex);
    const QSizeF shown = pageview::displaySizeOf(geometry);
    {
        QPainter painter(&image);
        // The image's own size decides the scale, so the box meets the page's edges exactly.
        if (shown.width() > 0 && shown.height() > 0)
            painter.scale(image.width() / shown.width(), image.height() / shown.height());
        pageview::drawLabelOverlay(painter, geometry, overlay);
    }
    image.setDotsPerMeterX(int(std::lround(parsed->dpi / 0.0254)));
    image.setDotsPerMeterY(int(std::lround(parsed->dpi / 0.0254)));

    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
        io.err += QStringLiteral("tolvo-cli: render: page '%1' of %2 could not be encoded as PNG\n")
                      .arg(parsed->page, parsed->file);
        return FileError;
    }
    return writeOutput(parsed->output, png, "render", io);
}

} // namespace tolvo::cli
