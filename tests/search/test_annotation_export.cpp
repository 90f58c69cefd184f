// SPDX-License-Identifier: GPL-3.0-or-later
// The annotation export: the document in each format, its path, the dialog's rules, and the
// commands with their beeps and alerts (a file that cannot be written or opened is reported).
#include "SearchTestSupport.h"

#include "../links/test_richtext_support.h"
#include "document/search/AnnotationExportCommands.h"
#include "document/search/ExportAnnotationsPanel.h"
#include "links/RtfReader.h"
#include "search/AnnotationExport.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

using namespace tolvo;

Q_DECLARE_METATYPE(tolvo::LinkStyle)

namespace {

AnnotationRecord record(
    const QString& type, const QString& text, const QString& label, const QString& comment = QString())
{
    AnnotationRecord r;
    r.type = type;
    r.text = text;
    r.pageLabel = label;
    r.comment = comment;
    return r;
}

// Two highlights on page 3, the second with the reader's comment, and a note on page 7, with a
// markup of another kind between them.
std::vector<AnnotationRecord> sample()
{
    return { record(QStringLiteral("Highlight"), QStringLiteral("Key Point "), QStringLiteral("3")),
        record(QStringLiteral("Highlight"), QStringLiteral("marked phrase "), QStringLiteral("3"),
            QStringLiteral("Why this?")),
        record(QStringLiteral(""), QStringLiteral("wavy "), QStringLiteral("5")),
        record(QStringLiteral("Note"), QStringLiteral("Check this"), QStringLiteral("7")) };
}

TextAttributes linkTo(const QString& url)
{
    TextAttributes a;
    a.link = url;
    a.color = kLinkBlue;
    a.underline = true;
    return a;
}

struct Harness {
    QTemporaryDir dir;
    std::unique_ptr<Defaults> defaults;
    int beeps = 0;
    QStringList alerts;
    QList<QUrl> opened;
    bool openSucceeds = true;
    std::unique_ptr<AnnotationExportCommands> commands;

    explicit Harness(const QString& folder = QString())
    {
        defaults = std::make_unique<Defaults>(dir.filePath(QStringLiteral("defaults.json")));
        registerTolvoDefaults(*defaults);
        defaults->setValue(
            QString::fromLatin1(keys::kURLRichTextPreference), QString::fromLatin1(keys::kLinkStyleExpanded));
        ExportServices services;
        services.beep = [this] { ++beeps; };
        services.alert = [this](const QString& message, const QString&) { alerts << message; };
        services.openUrl = [this](const QUrl& url) {
            opened << url;
            return openSucceeds;
        };
        services.folder = folder.isEmpty() ? dir.path() : folder;
        commands = std::make_unique<AnnotationExportCommands>(
            nullptr, QStringLiteral("/somewhere/Field Guide.pdf"), [] { return QStringLiteral("ab/"); }, *defaults,
            services);
    }
    QString exported() const { return dir.filePath(QStringLiteral("Field Guide.rtf")); }
};

std::shared_ptr<const AnnotationList> listOf(std::vector<AnnotationRecord> records, AnnotationCounts counts = {})
{
    auto list = std::make_shared<AnnotationList>();
    list->records = std::move(records);
    list->counts = counts;
    list->complete = true;
    return list;
}

} // namespace

class TestAnnotationExport : public QObject {
    Q_OBJECT

private slots:
    void richText_data()
    {
        QTest::addColumn<LinkStyle>("style");
        QTest::addColumn<QString>("shown");
        QTest::newRow("expanded") << LinkStyle::Expanded << "tolvo://ab/3/";
        QTest::newRow("condensed") << LinkStyle::Condensed << "ab/3/";
        QTest::newRow("condensed with TOC title") << LinkStyle::CondensedWithTOCTitle << "ab/3/";
        QTest::newRow("any other") << LinkStyle::Other << "ab/3";
    }
    void richText()
    {
        QFETCH(LinkStyle, style);
        QFETCH(QString, shown);
        const std::optional<RichText> text = annotationExportRichText(
            { sample()[0] }, ExportOptions {}, ExportStyle { QStringLiteral("ab/"), style, true });
        QVERIFY(text);
        RichText expected(QStringLiteral("\nPage 3, Highlight annotation "));
        expected.append(shown, linkTo(QStringLiteral("tolvo://ab/3/")));
        expected.append(QStringLiteral(" \n\"Key Point \"\n \n"));
        QCOMPARE(*text, expected);
    }

    // Three entries in list order, the note last, each opened by a line break and "Page" and closed by " \n".
    void entries()
    {
        const ExportStyle quotes { QStringLiteral("ab/"), LinkStyle::Expanded, true };
        const std::optional<RichText> text = annotationExportRichText(sample(), ExportOptions {}, quotes);
        QVERIFY(text);
        const QString plain = text->toPlainText();
        QCOMPARE(plain,
            QStringLiteral("\nPage 3, Highlight annotation tolvo://ab/3/ \n\"Key Point \"\n \n"
                           "\nPage 3, Highlight annotation tolvo://ab/3/ \n\"marked phrase \"\nWhy this?\n \n"
                           "\nPage 7, Note annotation tolvo://ab/7/ \n\"Check this\"\n \n"));
        const ExportStyle noQuotes { QStringLiteral("ab/"), LinkStyle::Expanded, false };
        QVERIFY(annotationExportRichText(sample(), ExportOptions {}, noQuotes)
                    ->toPlainText()
                    .contains(QStringLiteral(" \nCheck this\n \n")));
        const ExportOptions notesOnly { true, false, false, false };
        QCOMPARE(annotationExportRichText(sample(), notesOnly, quotes)->toPlainText(),
            QStringLiteral("\nPage 7, Note annotation tolvo://ab/7/ \n\"Check this\"\n \n"));
        QVERIFY(!annotationExportRichText(sample(), ExportOptions { false, false, true, true }, quotes));
        QVERIFY(!annotationExportRichText({}, ExportOptions {}, quotes));
    }

    void rtfAndHtml()
    {
        const ExportStyle style { QStringLiteral("ab/"), LinkStyle::Condensed, true };
        const QByteArray rtf = *annotationExportDocument(sample(), ExportOptions {}, style, ExportFormat::Rtf);
        QVERIFY(rtf.startsWith("{\\rtf1"));
        const std::optional<RichText> back = fromRtf(rtf);
        QVERIFY(back);
        QCOMPARE(back->toPlainText(), annotationExportRichText(sample(), ExportOptions {}, style)->toPlainText());
        int links = 0;
        for (const TextRun& run : back->runs())
            if (run.attributes.link) {
                ++links;
                QVERIFY(run.attributes.underline);
                QVERIFY(run.text == QLatin1String("ab/3/") || run.text == QLatin1String("ab/7/"));
            }
        QCOMPARE(links, 3);

        const QString html
            = QString::fromUtf8(*annotationExportDocument(sample(), ExportOptions {}, style, ExportFormat::Html));
        QVERIFY(html.contains(QLatin1String("href=\"tolvo://ab/7/\"")));
        QVERIFY(
            html.contains(QLatin1String("&quot;Check this&quot;")) || html.contains(QLatin1String("\"Check this\"")));
    }

    void markdown_data()
    {
        QTest::addColumn<bool>("quotes");
        QTest::addColumn<QString>("comment");
        QTest::addColumn<QString>("expected");
        QTest::newRow("quotes") << true << ""
                                << "### Page 3, Highlight annotation\n\n[ab/3](tolvo://ab/3/)\n\n> \"Key Point\"\n\n"
                                   "### Page 7, Note annotation\n\n[ab/7](tolvo://ab/7/)\n\n> \"Two\n>\n> lines\"\n";
        QTest::newRow("no quotes") << false << ""
                                   << "### Page 3, Highlight annotation\n\n[ab/3](tolvo://ab/3/)\n\n> Key Point\n\n"
                                      "### Page 7, Note annotation\n\n[ab/7](tolvo://ab/7/)\n\n> Two\n>\n> lines\n";
        QTest::newRow("a comment after the quote, its breaks kept, its marks plain")
            << true << "Why *this*?\r\n\nSee [x] "
            << "### Page 3, Highlight annotation\n\n[ab/3](tolvo://ab/3/)\n\n> \"Key Point\"\n\n"
               "Why \\*this\\*?\\\nSee \\[x\\]\n\n"
               "### Page 7, Note annotation\n\n[ab/7](tolvo://ab/7/)\n\n> \"Two\n>\n> lines\"\n";
    }
    void markdown()
    {
        QFETCH(bool, quotes);
        QFETCH(QString, comment);
        const std::vector<AnnotationRecord> records
            = { record(QStringLiteral("Highlight"), QStringLiteral("Key Point "), QStringLiteral("3"), comment),
                  record(QStringLiteral("Note"), QStringLiteral("Two\r\n\nlines"), QStringLiteral("7")) };
        const std::optional<QString> md = annotationExportMarkdown(
            records, ExportOptions {}, ExportStyle { QStringLiteral("ab/"), LinkStyle::Condensed, quotes });
        QVERIFY(md);
        QTEST(*md, "expected");
    }

    void path_data()
    {
        QTest::addColumn<QString>("pdf");
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("expected");
        QTest::newRow("rtf") << "/a/Manual.pdf" << int(ExportFormat::Rtf) << "/tmp/x/Manual.rtf";
        QTest::newRow("last extension only")
            << "/a/v1.2 Guide.PDF" << int(ExportFormat::Markdown) << "/tmp/x/v1.2 Guide.md";
        QTest::newRow("no extension") << "/a/Manual" << int(ExportFormat::Html) << "/tmp/x/Manual.html";
        QTest::newRow("hidden file") << "/a/.pdf" << int(ExportFormat::Rtf) << "/tmp/x/.pdf.rtf";
    }
    void path()
    {
        QFETCH(QString, pdf);
        QFETCH(int, format);
        QTEST(annotationExportPath(pdf, ExportFormat(format), QStringLiteral("/tmp/x")), "expected");
    }

    // Keys only turn boxes on; empty kinds are off and disabled whatever their key says; no kind: no confirm.
    void dialog_data()
    {
        QTest::addColumn<QList<int>>("counts"); // notes, highlights, underlines, strike-throughs, others
        QTest::addColumn<QList<bool>>("keys"); // the four TolvoAnnoExportShouldExport... keys
        QTest::addColumn<QList<bool>>("checked");
        QTest::addColumn<QList<bool>>("enabled");
        QTest::addColumn<bool>("confirm");
        QTest::newRow("all there, all keys on")
            << QList<int> { 1, 2, 3, 4, 0 } << QList<bool> { true, true, true, true }
            << QList<bool> { true, true, true, true } << QList<bool> { true, true, true, true } << true;
        QTest::newRow("an empty kind is off though its key is on")
            << QList<int> { 2, 0, 1, 0, 3 } << QList<bool> { true, true, true, true }
            << QList<bool> { true, false, true, false } << QList<bool> { true, false, true, false } << true;
        QTest::newRow("a key that is off leaves its box as it was")
            << QList<int> { 2, 1, 0, 0, 0 } << QList<bool> { false, true, true, true }
            << QList<bool> { false, true, false, false } << QList<bool> { true, true, false, false } << true;
        QTest::newRow("only other annotations")
            << QList<int> { 0, 0, 0, 0, 9 } << QList<bool> { true, true, true, true }
            << QList<bool> { false, false, false, false } << QList<bool> { false, false, false, false } << false;
    }
    void dialog()
    {
        QFETCH(QList<int>, counts);
        QFETCH(QList<bool>, keys);
        QTemporaryDir dir;
        Defaults defaults(dir.filePath(QStringLiteral("d.json")));
        registerTolvoDefaults(defaults);
        const char* names[] = { keys::kAnnoExportShouldExportNotes, keys::kAnnoExportShouldExportHighlights,
            keys::kAnnoExportShouldExportUnderlines, keys::kAnnoExportShouldExportStrikethroughs };
        for (int i = 0; i < 4; ++i)
            defaults.setValue(QString::fromLatin1(names[i]), keys[i]);
        ExportAnnotationsPanel panel(nullptr);
        const AnnotationCounts c { quint64(counts[0]), quint64(counts[1]), quint64(counts[2]), quint64(counts[3]),
            quint64(counts[4]) };
        panel.prepare(c, defaults);
        QCOMPARE(panel.annotationsCountLabel()->text(), annotationsCountText(c));
        const QCheckBox* boxes[]
            = { panel.annotationsExportNotesCheckbox(), panel.annotationsExportHighlightsCheckbox(),
                  panel.annotationsExportUnderlinesCheckbox(), panel.annotationsExportStrikethroughsCheckbox() };
        QList<bool> checked, enabled;
        for (const QCheckBox* box : boxes) {
            checked << box->isChecked();
            enabled << box->isEnabled();
        }
        QTEST(checked, "checked");
        QTEST(enabled, "enabled");
        QTEST(panel.annotationsExportOKButton()->isEnabled(), "confirm");
        QCOMPARE(panel.format(), ExportFormat::Rtf);
    }

    void exportWritesAndOpens()
    {
        Harness h;
        h.commands->setAnnotations(listOf(sample()));
        QCOMPARE(h.commands->exportPDFAnnotations(ExportOptions {}.toDictionary()), ExportOutcome::Opened);
        QCOMPARE(h.opened, QList<QUrl> { QUrl::fromLocalFile(h.exported()) });
        QFile file(h.exported());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray first = file.readAll();
        file.close();
        QVERIFY(first.contains("HYPERLINK \"tolvo://ab/7/\""));
        // The second export replaces the first at the same path.
        QCOMPARE(h.commands->exportPDFAnnotations(ExportOptions { false, true, false, false }.toDictionary()),
            ExportOutcome::Opened);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray second = file.readAll();
        QVERIFY(!second.contains("tolvo://ab/7/") && second.contains("tolvo://ab/3/"));
        QCOMPARE(h.beeps, 0);
        QVERIFY(h.alerts.isEmpty());

        QCOMPARE(h.commands->exportPDFAnnotations(ExportOptions {}.toDictionary(), ExportFormat::Markdown),
            ExportOutcome::Opened);
        QVERIFY(QFile::exists(h.dir.filePath(QStringLiteral("Field Guide.md"))));
    }

    void nothingToExportBeeps()
    {
        Harness h;
        QCOMPARE(h.commands->exportPDFAnnotations(ExportOptions {}.toDictionary()), ExportOutcome::NothingToExport);
        h.commands->setAnnotations(listOf({}));
        QCOMPARE(h.commands->exportPDFAnnotations(ExportOptions {}.toDictionary()), ExportOutcome::NothingToExport);
        Harness other;
        other.commands->setAnnotations(listOf(sample()));
        QCOMPARE(other.commands->exportPDFAnnotations(ExportOptions { false, false, true, true }.toDictionary()),
            ExportOutcome::NothingToExport);
        QCOMPARE(h.beeps, 2);
        QCOMPARE(other.beeps, 1);
        QVERIFY(!QFile::exists(h.exported()) && !QFile::exists(other.exported()));
        QVERIFY(h.opened.isEmpty() && h.alerts.isEmpty());
    }

    void failuresAreReported()
    {
        Harness unwritable(QStringLiteral("/nonexistent-folder/for/exports"));
        unwritable.commands->setAnnotations(listOf(sample()));
        QCOMPARE(
            unwritable.commands->exportPDFAnnotations(ExportOptions {}.toDictionary()), ExportOutcome::WriteFailed);
        QCOMPARE(unwritable.alerts, QStringList { "Unable to export annotations" });
        QVERIFY(unwritable.opened.isEmpty());
        QCOMPARE(unwritable.beeps, 1);

        Harness unopened;
        unopened.openSucceeds = false;
        unopened.commands->setAnnotations(listOf(sample()));
        QCOMPARE(unopened.commands->exportPDFAnnotations(ExportOptions {}.toDictionary()), ExportOutcome::OpenFailed);
        QCOMPARE(unopened.alerts, QStringList { "Unable to open exported annotations" });
        QVERIFY(QFile::exists(unopened.exported()));
    }

    // The dialog waits for the list, and only a confirm with a box on exports.
    void dialogEnds()
    {
        Harness h;
        h.commands->showExportAnnotationsPanel();
        QVERIFY(!h.commands->exportAnnotationsPanel());
        h.commands->setAnnotations(listOf(sample(), { 1, 2, 0, 0, 0 }));
        ExportAnnotationsPanel* panel = h.commands->exportAnnotationsPanel();
        QVERIFY(panel);
        QTRY_VERIFY(panel->isVisible());
        panel->annotationsExportNotesCheckbox()->setChecked(false);
        panel->annotationsExportHighlightsCheckbox()->setChecked(false);
        panel->dismissExportAnnotationsPanel(ExportAnnotationsPanel::kConfirmTag);
        QVERIFY(h.opened.isEmpty());

        h.commands->showExportAnnotationsPanel();
        QTRY_VERIFY(panel->isVisible());
        panel->annotationsExportHighlightsCheckbox()->setChecked(true);
        panel->dismissExportAnnotationsPanel(0);
        QVERIFY(h.opened.isEmpty());

        h.commands->showExportAnnotationsPanel();
        panel->setFormat(ExportFormat::Html);
        panel->annotationsExportOKButton()->click();
        QCOMPARE(h.opened.size(), 1);
        QVERIFY(h.opened[0].path().endsWith(QLatin1String("Field Guide.html")));
        QCOMPARE(h.beeps, 0);
    }
};

QTEST_MAIN(TestAnnotationExport)
#include "test_annotation_export.moc"
