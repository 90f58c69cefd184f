// SPDX-License-Identifier: GPL-3.0-or-later
// Whether the links Tolvo makes to a PDF come back: for every page, its page link and a location
// link on it, and for every outline entry its TOC link, each read the way a document window
// follows a link. A plain figure program, not a timing:
//   link_figures [--order-of-old] FILE.pdf...
// --order-of-old reads as links were read before page labels came first (title paths first, and
// TOC paths chosen without regard to page labels), for comparison.
#include "links/LinkGrammar.h"
#include "outline/OutlineTree.h"
#include "pdf/OutlineFromPdf.h"
#include "pdf/PageLabelIndex.h"
#include "pdf/PdfDocument.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

namespace {

using namespace tolvo;

struct Figures {
    int pages = 0;
    int pageLinksOnTheirPage = 0; ///< on the first page that carries the label
    int pageLinksOnExactlyTheirPage = 0; ///< on the very page (labels shared by pages miss here)
    int locationLinksOnTheirPage = 0;
    int tocEntries = 0;
    int tocLinksOnTheirEntry = 0;
    QStringList misses;
};

Figures measure(const pdf::Document& document, bool oldOrder)
{
    const QStringList labels = document.pageLabels();
    const PageLabelIndex index(labels);
    OutlineTree tree = outlineTreeForPdf(document);
    if (oldOrder)
        tree.setPageLabels({});
    const PageLabelLookup lookup = [&index](const QString& label) { return index.pageForLabel(label); };
    const OutlineMatcher matcher = [&tree](const QStringList& components) -> std::optional<int> {
        const auto matches = tree.moiMatchingURLSuffix(components);
        return matches ? std::optional<int>(tree.indexOf(matches->front())) : std::nullopt;
    };
    auto read = [&](const QString& target) {
        if (!oldOrder)
            return readTarget(target, lookup, matcher);
        // Title path first, then a location or page label.
        TargetReading byTitle = readTarget(target, {}, matcher);
        return byTitle.kind == TargetReading::Kind::TitlePath ? byTitle : readLocationOrPageLabel(target, lookup);
    };
    auto miss = [](Figures& f, const QString& what) {
        if (f.misses.size() < 12)
            f.misses << what;
    };

    Figures f;
    f.pages = int(labels.size());
    for (int page = 0; page < f.pages; ++page) {
        const QString link = pageLink(QStringLiteral("p/"), labels[page]);
        const TargetReading reading = read(link.mid(QStringLiteral("tolvo://p/").size()));
        const bool onPage = reading.kind == TargetReading::Kind::Page;
        if (onPage && reading.pageIndex == index.pageForLabel(labels[page]))
            ++f.pageLinksOnTheirPage;
        else
            miss(f, QStringLiteral("page link %1 (page %2)").arg(link).arg(page + 1));
        if (onPage && reading.pageIndex == page)
            ++f.pageLinksOnExactlyTheirPage;

        const QString location = locationTarget(labels[page], QPointF(72, 500)) + QLatin1Char('/');
        const TargetReading there = read(location);
        if (there.kind == TargetReading::Kind::Location && there.pageIndex == index.pageForLabel(labels[page]))
            ++f.locationLinksOnTheirPage;
        else
            miss(f, QStringLiteral("location link %1").arg(location));
    }
    for (const MyOutlineItem* item : tree.items()) {
        ++f.tocEntries;
        const QString target = tree.makeShortURLForMOI(item) + QLatin1Char('/');
        const TargetReading reading = read(target);
        bool lands = false;
        if (reading.kind == TargetReading::Kind::TitlePath) {
            lands = reading.matchId == tree.indexOf(item);
        } else if (parseLocationTarget(target)) {
            // An extended page label: it lands where the entry's own destination is.
            const TargetReading own = readLocationOrPageLabel(item->pageLabel(), lookup);
            lands = reading.kind == own.kind && reading.pageIndex == own.pageIndex && reading.origin == own.origin;
        }
        if (lands)
            ++f.tocLinksOnTheirEntry;
        else
            miss(f, QStringLiteral("TOC link %1 of \"%2\"").arg(target, item->pageTitle()));
    }
    return f;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList files = app.arguments().mid(1);
    const bool oldOrder = files.removeAll(QStringLiteral("--order-of-old")) > 0;
    QTextStream out(stdout);
    if (files.isEmpty()) {
        out << "Usage: link_figures [--order-of-old] FILE.pdf...\n";
        return 2;
    }
    int status = 0;
    for (const QString& file : std::as_const(files)) {
        const pdf::OpenResult opened = pdf::openDocument(file);
        if (!opened.document) {
            out << file << ": " << opened.error << '\n';
            status = 1;
            continue;
        }
        const Figures f = measure(*opened.document, oldOrder);
        out << QFileInfo(file).fileName() << ": page links on their page " << f.pageLinksOnTheirPage << " of "
            << f.pages << " (on the very page " << f.pageLinksOnExactlyTheirPage << "), location links "
            << f.locationLinksOnTheirPage << " of " << f.pages << ", TOC links on their entry "
            << f.tocLinksOnTheirEntry << " of " << f.tocEntries << '\n';
        for (const QString& m : f.misses)
            out << "  missed: " << m << '\n';
    }
    return status;
}
