// SPDX-License-Identifier: GPL-3.0-or-later
// The PDF services over the generated fixtures (tests/fixtures/fx_pdf.py): every value checked
// here was written into the fixture by hand, so a conversion done twice or not at all shows.
#include "pdf/PageSpace.h"
#include "pdf/PdfDocument.h"
#include "pdf/WorkAbort.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <cstdio>
#include <thread>

#include <unistd.h>

using namespace tolvo::pdf;

Q_DECLARE_METATYPE(std::optional<QString>)

namespace {

QString fixture(const QString& name)
{
    return QDir(qEnvironmentVariable("TOLVO_FIXTURES")).filePath(name);
}

std::unique_ptr<Document> openFixture(const QString& name)
{
    OpenResult result = openDocument(fixture(name));
    if (!result.document)
        qWarning() << "cannot open" << name << result.error;
    return std::move(result.document);
}

// Gives path the content of other: written over in place ("rewrite"), or other renamed onto it
// ("replace"). False when that failed.
bool putInPlace(const QString& change, const QString& path, const QString& other)
{
    if (change == "replace")
        return ::rename(QFile::encodeName(other).constData(), QFile::encodeName(path).constData()) == 0;
    QFile file(path);
    QFile source(other);
    if (!file.open(QIODevice::ReadWrite) || !source.open(QIODevice::ReadOnly) || !file.resize(0))
        return false;
    const QByteArray bytes = source.readAll();
    return file.write(bytes) == bytes.size();
}

// Where the fixture's words sit on every page of geometry.pdf: x of the left edge, baseline, width
// by Helvetica's metrics at 12 points.
struct PlacedWord {
    const char* text;
    double x;
    double baselineOffset; // below the page's first baseline
    double width;
};
const PlacedWord placed[] = { { "Alpha", 100, 0, 30.684 }, { "Beta", 140, 0, 24.684 }, { "Gamma", 100, 20, 42.672 },
    { "Delta", 150, 20, 28.008 } };

double baselineOf(int geometryPage)
{
    return geometryPage == 7 ? 300 : 500;
}

// The middle of a placed word in page space.
QPointF middleOf(int geometryPage, int word)
{
    const PlacedWord& w = placed[word];
    return QPointF(w.x + w.width / 2, baselineOf(geometryPage) - w.baselineOffset + 3);
}

const OutlineEntry* findTitle(const std::vector<OutlineEntry>& entries, const QString& title)
{
    for (const OutlineEntry& entry : entries)
        if (entry.title == title)
            return &entry;
    return nullptr;
}

int countEntries(const std::vector<OutlineEntry>& entries, int* depth = nullptr, int level = 1)
{
    int count = 0;
    for (const OutlineEntry& entry : entries) {
        if (depth)
            *depth = std::max(*depth, level);
        count += 1 + countEntries(entry.children, depth, level + 1);
    }
    return count;
}

} // namespace

class TestPdfDocument : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY2(QFile::exists(fixture("outline.pdf")), "fixtures not generated"); }

    void openErrors_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("error");
        QTest::newRow("not a pdf") << fixture("not-a-pdf.pdf") << "not-a-pdf.pdf is not a PDF file";
        QTest::newRow("truncated") << fixture("truncated.pdf")
                                   << "truncated.pdf could not be read: the file is damaged";
        QTest::newRow("damaged") << fixture("damaged.pdf") << "damaged.pdf could not be read: the file is damaged";
        QTest::newRow("encrypted") << fixture("encrypted.pdf") << "encrypted.pdf is password protected";
        QTest::newRow("no pages") << fixture("no-pages.pdf") << "no-pages.pdf could not be read: it has no pages";
        QTest::newRow("missing") << fixture("gone.pdf") << "gone.pdf could not be read: there is no such file";
        QTest::newRow("folder") << qEnvironmentVariable("TOLVO_FIXTURES")
                                << QFileInfo(qEnvironmentVariable("TOLVO_FIXTURES")).fileName()
                + " could not be read: it is a folder";
        QTest::newRow("device") << "/dev/null"
                                << "null could not be read: it is not a regular file";
    }
    void openErrors()
    {
        QFETCH(QString, path);
        QFETCH(QString, error);
        const OpenResult result = openDocument(path);
        QVERIFY(!result.document);
        QCOMPARE(result.error, error);
    }

    // Files whose cross-reference data is damaged (tests/fixtures/fx_hostile.py): what Poppler's own pdfinfo
    // reads opens, with the same page count, and what it cannot read is refused.
    void repairableFilesOpen_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("readable");
        QTest::newRow("undamaged") << "repair-good.pdf" << true;
        QTest::newRow("offsets off") << "repair-offsets.pdf" << true;
        QTest::newRow("startxref wrong") << "repair-startxref.pdf" << true;
        QTest::newRow("trailer wrong") << "repair-trailer.pdf" << true;
        QTest::newRow("mail headers before the file") << "repair-preamble.pdf" << true;
        QTest::newRow("no trailer") << "unrepairable-trailer.pdf" << false;
        QTest::newRow("no table, no trailer") << "unrepairable-no-table.pdf" << false;
    }
    void repairableFilesOpen()
    {
        QFETCH(QString, name);
        QFETCH(bool, readable);
        const OpenResult result = openDocument(fixture(name));
        const QString pdfinfo = QStandardPaths::findExecutable(QStringLiteral("pdfinfo"));
        if (!pdfinfo.isEmpty()) {
            QProcess info;
            info.start(pdfinfo, { fixture(name) });
            QVERIFY(info.waitForFinished(30000));
            const QRegularExpressionMatch pages = QRegularExpression(QStringLiteral("(?m)^Pages:\\s+(\\d+)$"))
                                                      .match(QString::fromUtf8(info.readAllStandardOutput()));
            QCOMPARE(info.exitCode() == 0 && pages.hasMatch(), readable);
            if (readable)
                QCOMPARE(pages.captured(1).toInt(), 4);
        }
        if (!readable) {
            QVERIFY(!result.document);
            QCOMPARE(result.error, name + QStringLiteral(" could not be read: the file is damaged"));
            return;
        }
        QVERIFY2(result.document, qPrintable(result.error));
        const Document& doc = *result.document;
        QCOMPARE(doc.pageCount(), 4);
        QCOMPARE(doc.pageLabels(), QStringList({ "i", "ii", "iii", "iv" }));
        const std::vector<OutlineEntry> outline = doc.outline();
        QCOMPARE(outline.size(), size_t(1));
        QCOMPARE(outline[0].title, QStringLiteral("Third"));
        QVERIFY(outline[0].destination);
        QCOMPARE(outline[0].destination->pageIndex, 2);
        QCOMPARE(doc.render(3, 0.25).size(), QSize(153, 198));
        QVERIFY(doc.words(3).size() == 2);
    }

    void openEmptyAndUnreadableFiles()
    {
        QTemporaryDir dir;
        const QString empty = dir.filePath("empty.pdf");
        QFile(empty).open(QIODevice::WriteOnly);
        QCOMPARE(openDocument(empty).error, QStringLiteral("empty.pdf is not a PDF file"));

        if (geteuid() == 0)
            QSKIP("root reads every file");
        const QString locked = dir.filePath("locked.pdf");
        QVERIFY(QFile::copy(fixture("outline.pdf"), locked));
        QFile::setPermissions(locked, QFileDevice::Permissions());
        QCOMPARE(openDocument(locked).error, QStringLiteral("locked.pdf could not be read: permission denied"));
    }

    void openGivesAbsolutePathAndReopens()
    {
        const std::unique_ptr<Document> doc = openFixture("labels.pdf");
        QVERIFY(doc);
        QCOMPARE(doc->filePath(), QFileInfo(fixture("labels.pdf")).absoluteFilePath());
        const std::unique_ptr<Document> copy = doc->reopen();
        QVERIFY(copy);
        QCOMPARE(copy->filePath(), doc->filePath());
        QCOMPARE(copy->pageLabels(), doc->pageLabels());
    }

    // What a worker's fresh copy relies on: a changed file is told from the one that was read.
    void fileUnchanged_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("unchanged");
        QTest::newRow("untouched") << "none" << true;
        QTest::newRow("rewritten in place") << "rewrite" << false;
        QTest::newRow("replaced by another file") << "replace" << false;
        QTest::newRow("only its time changed") << "touch" << false;
        QTest::newRow("moved away") << "move" << false;
        QTest::newRow("deleted") << "delete" << false;
    }
    void fileUnchanged()
    {
        QFETCH(QString, change);
        QFETCH(bool, unchanged);
        QTemporaryDir dir;
        const QString path = dir.filePath("doc.pdf");
        QVERIFY(QFile::copy(fixture("labels.pdf"), path));
        OpenResult opened = openDocument(path);
        QVERIFY(opened.document);
        const Document& doc = *opened.document;
        QVERIFY(doc.fileUnchanged());
        QVERIFY(doc.reopen()->fileUnchanged());
        const QString other = dir.filePath("other.pdf");
        QVERIFY(QFile::copy(fixture("outline.pdf"), other));
        if (change == "rewrite" || change == "replace") {
            QVERIFY(putInPlace(change, path, other));
        } else if (change == "touch") {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
        } else if (change == "move") {
            QVERIFY(QFile::rename(path, dir.filePath("moved.pdf")));
        } else if (change == "delete") {
            QVERIFY(QFile::remove(path));
        }
        QCOMPARE(doc.fileUnchanged(), unchanged);
        // Poppler reads the file again for drawing only when a page is first drawn: a file changed
        // by then is not drawn from, as its pages are not the ones this document holds.
        QCOMPARE(!doc.render(0, 0.5).isNull(), unchanged);
    }

    void labels_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("labels");
        QTest::newRow("ranges") << "labels.pdf"
                                << QStringList { "i", "ii", "iii", "iv", "1", "2", "3", "iii", "iv", "A-1", "A-2",
                                       "Index", QStringLiteral("\u00c4-1"), "Z", "AA", "16" };
        QTest::newRow("pages before the first range") << "labels-gap.pdf" << QStringList { "1", "2", "i", "ii" };
        QTest::newRow("no labels") << "outline.pdf" << QStringList { "1", "2", "3", "4", "5", "6" };
    }
    void labels()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, labels);
        const std::unique_ptr<Document> doc = openFixture(file);
        QVERIFY(doc);
        QCOMPARE(doc->pageCount(), labels.size());
        // One page's label, asked before the list and after it, is the list's.
        for (int i = 0; i < labels.size(); ++i)
            QCOMPARE(doc->pageLabel(i), labels[i]);
        QCOMPARE(doc->pageLabels(), labels);
        for (int i = 0; i < labels.size(); ++i)
            QCOMPARE(doc->pageLabel(i), labels[i]);
        QCOMPARE(doc->pageLabel(-1), QString());
        QCOMPARE(doc->pageLabel(labels.size()), QString());
    }

    void geometry_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QRectF>("media");
        QTest::addColumn<QRectF>("crop");
        QTest::addColumn<int>("rotation");
        QTest::addColumn<QSizeF>("displaySize");
        const QRectF letter(0, 0, 612, 792);
        const QRectF cropped(50, 100, 350, 500);
        QTest::newRow("upright") << 0 << letter << letter << 0 << QSizeF(612, 792);
        QTest::newRow("90") << 1 << letter << letter << 90 << QSizeF(792, 612);
        QTest::newRow("180") << 2 << letter << letter << 180 << QSizeF(612, 792);
        QTest::newRow("270") << 3 << letter << letter << 270 << QSizeF(792, 612);
        QTest::newRow("cropped") << 4 << letter << cropped << 0 << QSizeF(350, 500);
        QTest::newRow("cropped 90") << 5 << letter << cropped << 90 << QSizeF(500, 350);
        QTest::newRow("-90") << 6 << letter << letter << 270 << QSizeF(792, 612);
        QTest::newRow("inherited") << 7 << QRectF(0, 0, 300, 400) << QRectF(0, 0, 300, 400) << 180 << QSizeF(300, 400);
    }
    void geometry()
    {
        QFETCH(int, page);
        QFETCH(QRectF, media);
        QFETCH(QRectF, crop);
        QFETCH(int, rotation);
        QFETCH(QSizeF, displaySize);
        const std::unique_ptr<Document> doc = openFixture("geometry.pdf");
        QVERIFY(doc);
        const PageGeometry g = doc->pageGeometry(page);
        QCOMPARE(g.mediaBox, media);
        QCOMPARE(g.cropBox, crop);
        QCOMPARE(g.rotation, rotation);
        QCOMPARE(g.displaySize(), displaySize);
    }

    void destinations_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("path"); // child indexes from the top, "." between
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("page"); // -1: no destination
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<bool>("hasPoint");
        auto row = [](const char* name, const char* file, const char* path, const char* title, int page,
                       std::optional<QPointF> point) {
            QTest::newRow(name) << QString(file) << QString(path) << QString(title) << page << point.value_or(QPointF())
                                << point.has_value();
        };
        // The worked example's outline.
        row("preface", "outline.pdf", "0", "Preface", 0, QPointF(72, 720));
        row("fractions stay exact", "outline.pdf", "1", "Chapter 1", 1, QPointF(72.25, 700.75));
        row("named in the name tree", "outline.pdf", "1.0", "Introduction", 1, QPointF(90, 650));
        row("go-to action", "outline.pdf", "1.1", "Methods", 2, QPointF(72, 500));
        row("FitH", "outline.pdf", "2", "Chapter 2", 3, QPointF(0, 600));
        row("XYZ null left", "outline.pdf", "2.0", "Introduction", 3, QPointF(0, 400));
        row("Fit has no point", "outline.pdf", "2.1", "Results", 4, std::nullopt);
        row("named in /Dests", "outline.pdf", "3", "Appendix", 5, QPointF(0, 792));
        row("FitR, corners swapped", "outline.pdf", "4", "Appendix", 5, QPointF(100, 400));
        // Every rotation, crop boxes off the origin, inherited boxes.
        row("upright", "geometry.pdf", "0", "Upright", 0, QPointF(100.25, 520.75));
        row("turned 90", "geometry.pdf", "1", "Turned 90", 1, QPointF(100.25, 520.75));
        row("turned 180", "geometry.pdf", "2", "Turned 180", 2, QPointF(100.25, 520.75));
        row("turned 270", "geometry.pdf", "3", "Turned 270", 3, QPointF(100.25, 520.75));
        row("cropped", "geometry.pdf", "4", "Cropped", 4, QPointF(60.5, 590.5));
        row("cropped and turned", "geometry.pdf", "5", "Cropped and turned", 5, QPointF(60.5, 590.5));
        row("turned -90", "geometry.pdf", "6", "Turned -90", 6, QPointF(100.25, 520.75));
        row("inherited", "geometry.pdf", "7", "Inherited", 7, QPointF(10.5, 390.5));
        // A null coordinate comes from the corner that shows top-left.
        row("null top, turned 90", "geometry.pdf", "8", "Null top, turned 90", 1, QPointF(72, 0));
        row("null left, cropped", "geometry.pdf", "9", "Null left, cropped", 4, QPointF(50, 300));
        row("FitH, turned 180", "geometry.pdf", "10", "FitH, turned 180", 2, QPointF(612, 400));
        row("FitV, cropped", "geometry.pdf", "11", "FitV, cropped", 4, QPointF(70, 600));
        row("FitR, cropped", "geometry.pdf", "12", "FitR, cropped", 4, QPointF(60, 300));
        row("FitR, cropped and turned", "geometry.pdf", "13", "FitR, cropped and turned", 5, QPointF(60, 110));
        row("FitB", "geometry.pdf", "14", "FitB", 0, std::nullopt);
        row("XYZ all null", "geometry.pdf", "15", "Null both", 0, std::nullopt);
        // Entries that lead nowhere keep their titles.
        row("no destination", "missing-dest.pdf", "0", "No destination", -1, std::nullopt);
        row("unknown name", "missing-dest.pdf", "1", "Unknown name", -1, std::nullopt);
        row("unknown name object", "missing-dest.pdf", "2", "Unknown name object", -1, std::nullopt);
        row("not a page", "missing-dest.pdf", "3", "Not a page", -1, std::nullopt);
        row("missing object", "missing-dest.pdf", "4", "Missing object", -1, std::nullopt);
        row("web link", "missing-dest.pdf", "5", "Web link", -1, std::nullopt);
        row("malformed", "missing-dest.pdf", "6", "Malformed", -1, std::nullopt);
        row("page number", "missing-dest.pdf", "7", "Page number", 1, QPointF(10, 20));
        row("page number out of range", "missing-dest.pdf", "8", "Out of range", -1, std::nullopt);
        row("good", "missing-dest.pdf", "9", "Good", 0, QPointF(10, 20));
        row("no title", "missing-dest.pdf", "10", "", 1, std::nullopt);
        row("largest page number", "missing-dest.pdf", "11", "Largest page number", -1, std::nullopt);
        row("smallest page number", "missing-dest.pdf", "12", "Smallest page number", -1, std::nullopt);
        row("largest page number, named", "missing-dest.pdf", "13", "Largest page number, named", -1, std::nullopt);
    }
    void destinations()
    {
        QFETCH(QString, file);
        QFETCH(QString, path);
        QFETCH(QString, title);
        QFETCH(int, page);
        QFETCH(QPointF, point);
        QFETCH(bool, hasPoint);
        const std::unique_ptr<Document> doc = openFixture(file);
        QVERIFY(doc);
        const std::vector<OutlineEntry> outline = doc->outline();
        const std::vector<OutlineEntry>* level = &outline;
        const OutlineEntry* entry = nullptr;
        for (const QString& step : path.split('.')) {
            const size_t i = step.toUInt();
            QVERIFY(i < level->size());
            entry = &(*level)[i];
            level = &entry->children;
        }
        QCOMPARE(entry->title, title);
        if (page < 0) {
            QVERIFY(!entry->destination);
            return;
        }
        QVERIFY(entry->destination);
        QCOMPARE(entry->destination->pageIndex, page);
        QCOMPARE(entry->destination->point.has_value(), hasPoint);
        if (hasPoint) {
            // Exact: these are the numbers written in the file.
            QCOMPARE(entry->destination->point->x(), point.x());
            QCOMPARE(entry->destination->point->y(), point.y());
        }
    }

    void outlineShape()
    {
        const std::unique_ptr<Document> doc = openFixture("outline.pdf");
        QVERIFY(doc);
        const std::vector<OutlineEntry> outline = doc->outline();
        QStringList top;
        for (const OutlineEntry& e : outline)
            top << e.title;
        QCOMPARE(top, (QStringList { "Preface", "Chapter 1", "Chapter 2", "Appendix", "Appendix" }));
        QCOMPARE(countEntries(outline), 9);
        const std::unique_ptr<Document> none = openFixture("no-outline.pdf");
        QVERIFY(none);
        QVERIFY(none->outline().empty());
    }

    void cyclicOutlineEnds()
    {
        const std::unique_ptr<Document> doc = openFixture("cyclic-outline.pdf");
        QVERIFY(doc);
        const std::vector<OutlineEntry> outline = doc->outline();
        QStringList top;
        for (const OutlineEntry& e : outline)
            top << e.title;
        QCOMPARE(top, (QStringList { "A", "B", "C", "Level 1" }));
        const OutlineEntry* b = findTitle(outline, "B");
        QCOMPARE(int(b->children.size()), 1);
        QCOMPARE(b->children[0].title, QStringLiteral("B1"));
        QVERIFY(b->children[0].children.empty());
        const OutlineEntry* c = findTitle(outline, "C");
        QCOMPARE(int(c->children.size()), 1);
        QVERIFY(c->children[0].children.empty());
        // 150 levels of nesting are cut at 100.
        int depth = 0;
        QCOMPARE(countEntries(outline, &depth), 4 + 1 + 1 + 99);
        QCOMPARE(depth, 100);
        QCOMPARE(outline[0].destination->pageIndex, 0);
    }

    void annotations_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("type");
        QTest::addColumn<int>("markupType");
        QTest::addColumn<std::optional<QString>>("contents");
        QTest::addColumn<QRectF>("bounds");
        QTest::addColumn<QVector<QPointF>>("quads");
        using Q = QVector<QPointF>;
        const std::optional<QString> none;
        auto text = [](const char* s) { return std::optional<QString>(QString::fromUtf8(s)); };
        QTest::newRow("note") << 0 << 0 << "Text" << -1 << text("Remember this") << QRectF(50, 750, 20, 20) << Q {};
        QTest::newRow("its pop-up") << 0 << 1 << "Popup" << -1 << none << QRectF(300, 650, 200, 100) << Q {};
        QTest::newRow("note without contents, rect reversed")
            << 0 << 2 << "Text" << -1 << none << QRectF(50, 720, 20, 20) << Q {};
        QTest::newRow("free text") << 0 << 3 << "FreeText" << -1 << text("Inline remark") << QRectF(300, 500, 150, 30)
                                   << Q {};
        QTest::newRow("free text, empty contents")
            << 0 << 4 << "FreeText" << -1 << text("") << QRectF(300, 450, 150, 30) << Q {};
        QTest::newRow("highlight") << 0 << 5 << "Highlight" << 0 << text("Key point")
                                   << QRectF(QPointF(99.5, 696.5), QPointF(160.75, 712.25))
                                   << Q { { 99.5, 712.25 }, { 160.75, 712.25 }, { 99.5, 696.5 }, { 160.75, 696.5 } };
        QTest::newRow("highlight without contents")
            << 0 << 6 << "Highlight" << 0 << none << QRectF(QPointF(99.5, 677), QPointF(162, 692))
            << Q { { 99.5, 692 }, { 162, 692 }, { 99.5, 677 }, { 162, 677 } };
        QTest::newRow("underline, two quads")
            << 0 << 7 << "Underline" << 2 << text("Two lines") << QRectF(QPointF(99.5, 623), QPointF(185, 652))
            << Q { { 99.5, 652 }, { 185, 652 }, { 99.5, 637 }, { 185, 637 }, { 99.5, 638 }, { 182, 638 }, { 99.5, 623 },
                   { 182, 623 } };
        QTest::newRow("strike-out") << 0 << 8 << "StrikeOut" << 1 << text("Struck")
                                    << QRectF(QPointF(99.5, 597), QPointF(158, 612))
                                    << Q { { 99.5, 612 }, { 158, 612 }, { 99.5, 597 }, { 158, 597 } };
        QTest::newRow("squiggly") << 0 << 9 << "Squiggly" << 3 << text("Wavy")
                                  << QRectF(QPointF(99.5, 577), QPointF(166, 592))
                                  << Q { { 99.5, 592 }, { 166, 592 }, { 99.5, 577 }, { 166, 577 } };
        QTest::newRow("link") << 0 << 10 << "Link" << -1 << none << QRectF(400, 100, 100, 20) << Q {};
        QTest::newRow("square, UTF-16 contents")
            << 0 << 11 << "Square" << -1 << text("Caf\u00e9 \u2013 boxed") << QRectF(400, 300, 100, 100) << Q {};
        QTest::newRow("ink") << 0 << 12 << "Ink" << -1 << none << QRectF(400, 200, 100, 50) << Q {};
        QTest::newRow("on a turned page")
            << 1 << 0 << "Highlight" << 0 << text("Rotated") << QRectF(QPointF(99.5, 497), QPointF(180, 512))
            << Q { { 99.5, 512 }, { 180, 512 }, { 99.5, 497 }, { 180, 497 } };
    }
    void annotations()
    {
        QFETCH(int, page);
        QFETCH(int, index);
        QFETCH(QString, type);
        QFETCH(int, markupType);
        QFETCH(std::optional<QString>, contents);
        QFETCH(QRectF, bounds);
        QFETCH(QVector<QPointF>, quads);
        const std::unique_ptr<Document> doc = openFixture("annotations.pdf");
        QVERIFY(doc);
        const std::vector<Annotation> all = doc->annotations(page);
        QCOMPARE(int(all.size()), page == 0 ? 13 : 1); // null and dangling entries are no annotations
        const Annotation& a = all[size_t(index)];
        QCOMPARE(a.type, type);
        QCOMPARE(a.pageIndex, page);
        QCOMPARE(a.isMarkup, markupType >= 0);
        QCOMPARE(a.markupType, markupType);
        QCOMPARE(a.contents.has_value(), contents.has_value());
        if (contents)
            QCOMPARE(*a.contents, *contents);
        QCOMPARE(a.bounds, bounds);
        QCOMPARE(a.quadPoints, quads);
    }

    // Poppler rebuilds a damaged cross-reference table when it first needs an object, long after
    // opening; the document keeps working.
    void crossReferenceRepairedLater()
    {
        const std::unique_ptr<Document> good = openFixture("annotations.pdf");
        const std::unique_ptr<Document> repaired = openFixture("bad-xref.pdf");
        QVERIFY(good && repaired);
        for (int page = 0; page < 2; ++page) {
            const std::vector<Annotation> expected = good->annotations(page);
            const std::vector<Annotation> found = repaired->annotations(page);
            QCOMPARE(found.size(), expected.size());
            for (size_t i = 0; i < found.size(); ++i) {
                QCOMPARE(found[i].type, expected[i].type);
                QCOMPARE(found[i].contents, expected[i].contents);
                QCOMPARE(found[i].quadPoints, expected[i].quadPoints);
            }
        }
        QCOMPARE(repaired->render(0, 0.25).size(), QSize(153, 198));
    }

    void annotationsOutOfRange()
    {
        const std::unique_ptr<Document> doc = openFixture("annotations.pdf");
        QVERIFY(doc);
        QVERIFY(doc->annotations(-1).empty());
        QVERIFY(doc->annotations(2).empty());
    }

    // The text under a markup annotation as the annotation list makes it: a selection from the first
    // to the second point of each pair of quadrilateral points, merged.
    void textUnderMarkup_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("text");
        QTest::newRow("highlight") << 0 << 5 << "Key Point";
        QTest::newRow("highlight, next line") << 0 << 6 << "Second line";
        QTest::newRow("underline over two lines") << 0 << 7 << "Underlined one\nunderlined two";
        QTest::newRow("strike-out") << 0 << 8 << "Struck out";
        QTest::newRow("turned page") << 1 << 0 << "Rotated words";
    }
    void textUnderMarkup()
    {
        QFETCH(int, page);
        QFETCH(int, index);
        QFETCH(QString, text);
        const std::unique_ptr<Document> doc = openFixture("annotations.pdf");
        QVERIFY(doc);
        const Annotation a = doc->annotations(page)[size_t(index)];
        TextSelection merged;
        for (int i = 0; i + 1 < a.quadPoints.size(); i += 2)
            merged.add(doc->selectionFromPoint(page, a.quadPoints[i], page, a.quadPoints[i + 1]));
        QCOMPARE(merged.text, text);
        QCOMPARE(merged.pages(), QVector<int> { page });
    }

    void words_data()
    {
        QTest::addColumn<int>("page");
        for (int page = 0; page < 8; ++page)
            QTest::addRow("page %d", page) << page;
    }
    void words()
    {
        QFETCH(int, page);
        const std::unique_ptr<Document> doc = openFixture("geometry.pdf");
        QVERIFY(doc);
        const std::vector<TextWord> words = doc->words(page);
        QCOMPARE(int(words.size()), 4); // "Hidden" lies off the crop box
        const double baseline = baselineOf(page);
        for (int i = 0; i < 4; ++i) {
            const TextWord& w = words[size_t(i)];
            QCOMPARE(w.text, QString(placed[i].text));
            QCOMPARE(w.index, i);
            QCOMPARE(w.line, i / 2);
            QCOMPARE(w.lineEndsAfter, i % 2 == 1);
            const double y = baseline - placed[i].baselineOffset;
            QVERIFY2(qAbs(w.bounds.left() - placed[i].x) < 0.5, qPrintable(QString::number(w.bounds.left())));
            QVERIFY2(qAbs(w.bounds.right() - placed[i].x - placed[i].width) < 0.5,
                qPrintable(QString::number(w.bounds.right())));
            QVERIFY2(w.bounds.top() < y && w.bounds.bottom() > y + 6 && w.bounds.height() < 16,
                qPrintable(QStringLiteral("%1..%2").arg(w.bounds.top()).arg(w.bounds.bottom())));
        }
        QVERIFY(doc->words(-1).empty());
        QVERIFY(doc->words(8).empty());
    }

    void selections_data()
    {
        QTest::addColumn<int>("page");
        for (int page = 0; page < 8; ++page)
            QTest::addRow("page %d", page) << page;
    }
    void selections()
    {
        QFETCH(int, page);
        const std::unique_ptr<Document> doc = openFixture("geometry.pdf");
        QVERIFY(doc);
        // Across the line break, in either direction.
        for (const auto& [from, to] : { std::pair(1, 2), std::pair(2, 1) }) {
            const TextSelection s = doc->selectionFromPoint(page, middleOf(page, from), page, middleOf(page, to));
            QCOMPARE(s.text, QStringLiteral("Beta\nGamma"));
            QCOMPARE(int(s.lines.size()), 2);
            QCOMPARE(s.lines[0].text, QStringLiteral("Beta"));
            QCOMPARE(s.lines[1].text, QStringLiteral("Gamma"));
            QVERIFY(s.lines[0].bounds.contains(middleOf(page, 1)));
            QVERIFY(s.boundsForPage(page).contains(middleOf(page, 2)));
        }
        // A rectangle around the first line.
        const QPointF a = middleOf(page, 0);
        const TextSelection line = doc->selectionForRect(page, QRectF(a.x() - 20, a.y() - 6, 80, 10));
        QCOMPARE(line.text, QStringLiteral("Alpha Beta"));
        QCOMPARE(int(line.lines.size()), 1);
        QVERIFY(doc->selectionForRect(page, QRectF(450, 30, 20, 20)).isEmpty());
    }

    void selectionAcrossPages()
    {
        const std::unique_ptr<Document> doc = openFixture("geometry.pdf");
        QVERIFY(doc);
        for (const bool backwards : { false, true }) {
            const TextSelection s = backwards ? doc->selectionFromPoint(2, middleOf(2, 0), 0, middleOf(0, 3))
                                              : doc->selectionFromPoint(0, middleOf(0, 3), 2, middleOf(2, 0));
            QCOMPARE(s.text, QStringLiteral("Delta\nAlpha Beta\nGamma Delta\nAlpha"));
            QCOMPARE(s.pages(), (QVector<int> { 0, 1, 2 }));
            QVERIFY(s.boundsForPage(1).contains(middleOf(1, 3)));
        }
        QVERIFY(doc->selectionFromPoint(0, {}, 9, {}).isEmpty());
    }

    void search_data()
    {
        QTest::addColumn<int>("page");
        for (int page = 0; page < 8; ++page)
            QTest::addRow("page %d", page) << page;
    }
    void search()
    {
        QFETCH(int, page);
        const std::unique_ptr<Document> doc = openFixture("geometry.pdf");
        QVERIFY(doc);
        const QVector<QRectF> hits = doc->search(page, QStringLiteral("bEtA"));
        QCOMPARE(hits.size(), 1);
        const QRectF& r = hits[0];
        QVERIFY2(qAbs(r.left() - 140) < 0.5 && qAbs(r.right() - 164.684) < 0.5,
            qPrintable(QStringLiteral("%1..%2").arg(r.left()).arg(r.right())));
        QVERIFY(r.contains(middleOf(page, 1)));
        QCOMPARE(doc->search(page, QStringLiteral("a")).size(), 6); // two in Alpha and Gamma, one in Beta and Delta
        QVERIFY(doc->search(page, QStringLiteral("hidden")).isEmpty());
        QVERIFY(doc->search(page, QString()).isEmpty());
    }

    // A worker's scope ends a page read that is no longer wanted: it gives no text, and what it did
    // not read is not kept for the next read.
    void endedReadsGiveNoTextAndAreNotKept()
    {
        const std::unique_ptr<Document> doc = openFixture("slow-text.pdf");
        QVERIFY(doc);
        int asked = 0;
        {
            const AbortScope scope([&asked] {
                ++asked;
                return true;
            });
            QVERIFY(doc->words(0).empty());
            QVERIFY(doc->search(0, QStringLiteral("Plain")).isEmpty());
            // Two million words to draw: asked while drawing, not only once the page is done.
            asked = 0;
            QVERIFY(doc->words(1).empty());
            QVERIFY(asked > 1);
            QVERIFY(doc->search(1, QStringLiteral("w")).isEmpty());
        }
        QCOMPARE(doc->words(0).size(), size_t(3)); // Plain first page
        QCOMPARE(doc->search(0, QStringLiteral("Plain")).size(), 1);
        {
            const AbortScope outer([] { return true; });
            const AbortScope inner([] { return false; });
            QCOMPARE(doc->search(0, QStringLiteral("page")).size(), 1);
        }
    }

    // The raster images of images.pdf (tests/fixtures/fx_images.py), every way a page can draw
    // one; the stencil mask beside them is no image.
    void imageAreas_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QVector<QRectF>>("areas");
        const QVector<QRectF> drawn = {
            { 100, 500, 200, 150 }, // an image XObject
            { 350, 300, 100, 100 }, // an inline image turned a quarter turn
            // Found only when the inline images' data was skipped right.
            { 300, 100, 50, 50 }, // an image XObject clipped
            { 450, 550, 100, 100 }, // a soft-masked image
        };
        QTest::newRow("upright") << 0 << drawn;
        QTest::newRow("cropped and turned") << 1 << drawn;
        QTest::newRow("no images") << 2 << QVector<QRectF>();
        QTest::newRow("no such page") << 3 << QVector<QRectF>();
        QTest::newRow("before the first page") << -1 << QVector<QRectF>();
    }
    void imageAreas()
    {
        QFETCH(int, page);
        QFETCH(QVector<QRectF>, areas);
        const std::unique_ptr<Document> doc = openFixture("images.pdf");
        QVERIFY(doc);
        const QVector<QRectF> found = doc->imageAreas(page);
        QCOMPARE(found.size(), areas.size());
        for (int i = 0; i < areas.size(); ++i) {
            const QRectF d(found[i].topLeft() - areas[i].topLeft(), found[i].size() - areas[i].size());
            QVERIFY2(std::abs(d.x()) < 1e-3 && std::abs(d.y()) < 1e-3 && std::abs(d.width()) < 1e-3
                    && std::abs(d.height()) < 1e-3,
                qPrintable(QStringLiteral("area %1: %2,%3 %4x%5")
                               .arg(i)
                               .arg(found[i].x())
                               .arg(found[i].y())
                               .arg(found[i].width())
                               .arg(found[i].height())));
        }
        // An ended read gives no areas.
        const AbortScope scope([] { return true; });
        QVERIFY(doc->imageAreas(page).isEmpty());
    }

    void render_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<double>("scale");
        QTest::addColumn<QSize>("size");
        QTest::newRow("upright") << 0 << 1.0 << QSize(612, 792);
        QTest::newRow("upright, twice") << 0 << 2.0 << QSize(1224, 1584);
        QTest::newRow("turned 90") << 1 << 1.0 << QSize(792, 612);
        QTest::newRow("turned 270, 1.5") << 3 << 1.5 << QSize(1188, 918);
        QTest::newRow("cropped") << 4 << 1.0 << QSize(350, 500);
        QTest::newRow("cropped and turned") << 5 << 2.0 << QSize(1000, 700);
        QTest::newRow("inherited, half") << 7 << 0.5 << QSize(150, 200);
    }
    void render()
    {
        QFETCH(int, page);
        QFETCH(double, scale);
        QFETCH(QSize, size);
        const std::unique_ptr<Document> doc = openFixture("geometry.pdf");
        QVERIFY(doc);
        const QImage image = doc->render(page, scale);
        QCOMPARE(image.size(), size);
        // Ink where "Alpha" was placed, none in the empty corner beside it.
        const PageGeometry g = doc->pageGeometry(page);
        const PageTransform t(g.cropBox, g.rotation);
        auto inkAround = [&](const QPointF& pagePoint) {
            const QPointF d = t.toDisplay(pagePoint) * scale;
            int dark = 0;
            for (int dy = -int(4 * scale); dy <= int(4 * scale); ++dy)
                for (int dx = -int(4 * scale); dx <= int(4 * scale); ++dx) {
                    const QPoint p(int(d.x()) + dx, int(d.y()) + dy);
                    if (image.rect().contains(p) && qGray(image.pixel(p)) < 128)
                        ++dark;
                }
            return dark;
        };
        QVERIFY(inkAround(middleOf(page, 0)) > 0);
        QCOMPARE(inkAround(middleOf(page, 0) + QPointF(0, 40)), 0);
    }

    void renderRefusals()
    {
        const std::unique_ptr<Document> doc = openFixture("geometry.pdf");
        QVERIFY(doc);
        QVERIFY(doc->render(-1, 1).isNull());
        QVERIFY(doc->render(8, 1).isNull());
        QVERIFY(doc->render(0, 0).isNull());
        QVERIFY(doc->render(0, -2).isNull());
        QVERIFY(doc->render(0, std::numeric_limits<double>::quiet_NaN()).isNull());
        QVERIFY(doc->render(0, 1e6).isNull());
        int asked = 0;
        QVERIFY(doc->render(0, 1, [&asked] { return ++asked > 0; }).isNull());
        QVERIFY(asked > 0);
        QVERIFY(!doc->render(0, 1, [] { return false; }).isNull());
    }

    // A reading for drawing only draws every page as the document does, and refuses what it refuses.
    void drawingCopyDrawsAsTheDocument_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<double>("scale");
        QTest::addColumn<int>("prepared"); // the page prepared before the drawing; -1 none
        QTest::addColumn<bool>("drawn");
        const double nan = std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("upright") << 0 << 1.0 << -1 << true;
        QTest::newRow("turned 90") << 1 << 1.0 << -1 << true;
        QTest::newRow("cropped and turned") << 5 << 2.0 << -1 << true;
        QTest::newRow("inherited, half") << 7 << 0.5 << -1 << true;
        QTest::newRow("before the first page") << -1 << 1.0 << -1 << false;
        QTest::newRow("after the last page") << 8 << 1.0 << -1 << false;
        QTest::newRow("no scale") << 0 << 0.0 << -1 << false;
        QTest::newRow("scale not a number") << 0 << nan << -1 << false;
        QTest::newRow("a bitmap of gigabytes") << 0 << 1e6 << -1 << false;
        QTest::newRow("prepared, then drawn") << 5 << 2.0 << 5 << true;
        QTest::newRow("another page prepared") << 1 << 1.0 << 5 << true;
        QTest::newRow("a page out of range prepared") << 0 << 1.0 << 8 << true;
        QTest::newRow("prepared, not drawable") << 0 << 1e6 << 0 << false;
    }
    void drawingCopyDrawsAsTheDocument()
    {
        QFETCH(int, page);
        QFETCH(double, scale);
        QFETCH(int, prepared);
        QFETCH(bool, drawn);
        const std::unique_ptr<Document> doc = openFixture("geometry.pdf");
        const std::unique_ptr<DrawingCopy> copy = openDrawingCopy(fixture("geometry.pdf"));
        QVERIFY(doc && copy);
        QCOMPARE(copy->pageCount(), doc->pageCount());
        if (prepared >= 0)
            copy->preparePage(prepared);
        const QImage image = copy->render(page, scale);
        QCOMPARE(!image.isNull(), drawn);
        QCOMPARE(image, doc->render(page, scale));
        if (drawn)
            QVERIFY(copy->render(page, scale, [] { return true; }).isNull());
    }

    void drawingCopyOfWhatCannotBeDrawn_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("password");
        QTest::addColumn<bool>("read");
        QTest::newRow("encrypted, no password") << "encrypted.pdf" << QByteArray() << false;
        QTest::newRow("encrypted, wrong password") << "encrypted.pdf" << QByteArray("wrong") << false;
        QTest::newRow("encrypted, its password") << "encrypted.pdf" << QByteArray("secret") << true;
        QTest::newRow("not a pdf") << "not-a-pdf.pdf" << QByteArray() << false;
        QTest::newRow("no pages") << "no-pages.pdf" << QByteArray() << false;
        QTest::newRow("missing") << "gone.pdf" << QByteArray() << false;
    }
    void drawingCopyOfWhatCannotBeDrawn()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, password);
        QFETCH(bool, read);
        const std::unique_ptr<DrawingCopy> copy = openDrawingCopy(fixture(name), password);
        QCOMPARE(copy != nullptr, read);
        if (copy)
            QVERIFY(!copy->render(0, 0.5).isNull());
    }

    // A document takes a reading for drawing only of the very version of the file it read, and
    // only before it has drawn; a refused one leaves it drawing from its own reading, as before.
    void drawingCopyAdoption_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("adopted");
        QTest::addColumn<bool>("drawsAfter");
        QTest::newRow("same file") << "none" << true << true;
        QTest::newRow("same file, a page prepared") << "prepared" << true << true;
        QTest::newRow("read before the file was rewritten") << "rewrite" << false << true;
        QTest::newRow("read before the file was replaced") << "replace" << false << true;
        QTest::newRow("read from another file") << "other" << false << true;
        QTest::newRow("document has drawn already") << "drawn" << false << true;
    }
    void drawingCopyAdoption()
    {
        QFETCH(QString, change);
        QFETCH(bool, adopted);
        QFETCH(bool, drawsAfter);
        QTemporaryDir dir;
        const QString path = dir.filePath("doc.pdf");
        const QString other = dir.filePath("other.pdf");
        QVERIFY(QFile::copy(fixture("geometry.pdf"), path));
        QVERIFY(QFile::copy(fixture("labels.pdf"), other));
        // A reading of the file before it changed, as one made beside a document being opened.
        std::unique_ptr<DrawingCopy> copy = openDrawingCopy(change == "other" ? other : path);
        QVERIFY(copy);
        if (change == "prepared")
            copy->preparePage(1);
        const QImage expected = openFixture("geometry.pdf")->render(1, 0.5);
        if (change == "rewrite" || change == "replace")
            QVERIFY(putInPlace(change, path, other));
        OpenResult opened = openDocument(path);
        QVERIFY(opened.document);
        const Document& doc = *opened.document;
        if (change == "drawn")
            QVERIFY(!doc.render(0, 0.5).isNull());
        QCOMPARE(opened.document->adoptDrawingCopy(std::move(copy)), adopted);
        const QImage image = doc.render(1, 0.5);
        QCOMPARE(!image.isNull(), drawsAfter);
        if (change != "rewrite" && change != "replace")
            QCOMPARE(image, expected);
    }

    void workersUseTheirOwnCopies()
    {
        const std::unique_ptr<Document> doc = openFixture("annotations.pdf");
        QVERIFY(doc);
        const std::vector<Annotation> expected = doc->annotations(0);
        std::atomic<int> good { 0 };
        std::vector<std::thread> workers;
        for (int i = 0; i < 2; ++i) {
            workers.emplace_back([&doc, &expected, &good] {
                const std::unique_ptr<Document> mine = doc->reopen();
                if (!mine)
                    return;
                const std::vector<Annotation> found = mine->annotations(0);
                const QImage image = mine->render(0, 0.5);
                if (found.size() == expected.size() && found[5].quadPoints == expected[5].quadPoints
                    && image.size() == QSize(306, 396) && mine->words(0).size() == 12)
                    ++good;
            });
        }
        for (std::thread& t : workers)
            t.join();
        QCOMPARE(good.load(), 2);
    }
};

QTEST_GUILESS_MAIN(TestPdfDocument)
#include "test_pdf_document.moc"
