// SPDX-License-Identifier: GPL-3.0-or-later
// The document's link commands on a real window: what each insert command puts into the notes,
// what the copy commands and the TOC's Copy and drag leave, the prefix question, the link style
// control and sheet, and the grab of the page selection.
#include "document/DocumentWindow.h"
#include "document/LinkStyleSheet.h"
#include "document/LinkTransfers.h"
#include "document/MyDocument.h"
#include "document/NotesStore.h"
#include "document/PrefixSheet.h"
#include "links/RtfReader.h"
#include "outline/OutlineModel.h"
#include "outline/OutlineTree.h"
#include "pageview/LabelPDFView.h"
#include "routing/DocumentPrefix.h"
#include "routing/RoutingTable.h"
#include "search/MySearchResult.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"
#include "support/ScratchStore.h"
#include "support/WindowWaits.h"
#include "widgets/SegmentedControl.h"
#include "widgets/TLNSOutlineView.h"

#include <QClipboard>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTextBlock>
#include <QTextEdit>
#include <QtTest>

using namespace tolvo;

namespace {

QString fixture(const QString& name)
{
    return qEnvironmentVariable("TOLVO_FIXTURES") + QStringLiteral("/docwin/") + name;
}

/// Each linked stretch of a notes area: its text, "->", its href, and "_" when underlined.
QStringList linksIn(const QTextEdit* view)
{
    QStringList links;
    for (QTextBlock block = view->document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            if (format.isAnchor())
                links << fragment.text() + "->" + format.anchorHref() + (format.fontUnderline() ? "_" : "");
        }
    }
    return links;
}

/// What became of a question answered by answerNextQuestion.
struct Answer {
    bool stop = false; ///< set to stop waiting for a question
    bool shown = false;
    QString informative;
};

/// Clicks the button of that text on the message box that shows within a second.
std::shared_ptr<Answer> answerNextQuestion(const QString& button)
{
    auto answer = std::make_shared<Answer>();
    // The application's, so that a question never asked does not leave it behind.
    auto* timer = new QTimer(qApp);
    timer->setInterval(10);
    auto tries = std::make_shared<int>(100);
    QObject::connect(timer, &QTimer::timeout, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box && --*tries > 0 && !answer->stop)
            return;
        timer->stop();
        timer->deleteLater();
        if (!box || answer->stop)
            return;
        answer->shown = true;
        answer->informative = box->informativeText();
        for (QAbstractButton* b : box->buttons())
            if (b->text() == button)
                b->click();
    });
    timer->start();
    return answer;
}

} // namespace

class TestLinkCommands : public QObject {
    Q_OBJECT

    test::ScratchStore m_store;
    std::unique_ptr<MyDocument> m_doc;

    MyDocument* open(const QString& prefix)
    {
        DocumentEnvironment env = m_store.environment();
        m_doc = std::make_unique<MyDocument>(env);
        if (!m_doc->readFromURL(fixture("Report.pdf")))
            return nullptr;
        m_doc->makeWindowControllers();
        if (!prefix.isEmpty())
            m_doc->documentPrefix()->storePrefix(prefix);
        m_doc->finishSetUp();
        // After the first positioning the page view stays where the test puts it.
        if (!tolvo::test::waitForFirstPositioning(m_doc.get()))
            return nullptr;
        m_doc->pdfview()->goToPage(11);
        m_doc->selectedTextView()->clear();
        return m_doc.get();
    }

    const MyOutlineItem* item(const QString& title) const
    {
        for (const MyOutlineItem* i : m_doc->outline().items())
            if (i->pageTitle() == title)
                return i;
        return nullptr;
    }

    void select(const QStringList& titles)
    {
        QItemSelectionModel* selection = m_doc->outlineview()->selectionModel();
        selection->clearSelection();
        for (const QString& title : titles)
            selection->select(m_doc->treecontroller()->indexPathForMOI(item(title)),
                QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    // "{Methods}" stands for the TOC target of the item titled Methods.
    QString expand(QString text) const
    {
        for (const MyOutlineItem* i : m_doc->outline().items())
            text.replace("{" + i->pageTitle() + "}", m_doc->outline().makeShortURLForMOI(i));
        return text;
    }

    void setStyle(const char* style) { m_store.defaults->setValue(keys::kURLRichTextPreference, QString(style)); }

private slots:
    void initTestCase()
    {
        m_store.useAsConfigHome();
        QVERIFY(QFile::exists(fixture("Report.pdf")));
    }

    void init() { m_store.renew(); }

    void cleanup()
    {
        m_doc.reset();
        m_store.clear();
    }

    void insertCommands_data()
    {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("style");
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("segment");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("links");
        QTest::addColumn<QString>("prefixAfter");
        const QString expanded = keys::kLinkStyleExpanded;
        const QString condensed = keys::kLinkStyleCondensed;
        const QString titled = keys::kLinkStyleCondensedWithTOCTitle;

        QTest::newRow("short page") << "manual/" << condensed << "insertShortPageURL" << -1 << "manual/12/ "
                                    << QStringList { "manual/12/->tolvo://manual/12/_" } << "manual/";
        QTest::newRow("long page") << "manual/" << condensed << "insertLongPageURL" << -1 << "tolvo://manual/12/ "
                                   << QStringList() << "manual/";
        QTest::newRow("short page adds the slash")
            << "manual" << condensed << "insertShortPageURL" << -1 << "manual/12/ "
            << QStringList { "manual/12/->tolvo://manual/12/_" } << "manual/";
        QTest::newRow("prefix-based TOC")
            << "manual/" << titled << "insertPrefixBasedTOCURL" << -1 << "manual/{Methods}/ \nmanual/{Sampling}/ \n"
            << QStringList { "manual/{Methods}/->tolvo://manual/{Methods}/_",
                   "manual/{Sampling}/->tolvo://manual/{Sampling}/_" }
            << "manual/";
        QTest::newRow("short TOC shows titles")
            << "manual/" << titled << "insertShortTOCURL" << -1 << "manual/Methods \nmanual/Sampling \n"
            << QStringList { "manual/Methods->tolvo://manual/{Methods}/_",
                   "manual/Sampling->tolvo://manual/{Sampling}/_" }
            << "manual/";
        QTest::newRow("short TOC condensed shows targets")
            << "manual/" << condensed << "insertShortTOCURL" << -1 << "manual/{Methods} \nmanual/{Sampling} \n"
            << QStringList { "manual/{Methods}->tolvo://manual/{Methods}/_",
                   "manual/{Sampling}->tolvo://manual/{Sampling}/_" }
            << "manual/";
        QTest::newRow("long TOC") << "manual/" << condensed << "insertLongTOCURL" << -1
                                  << "tolvo://manual/{Methods}/  \ntolvo://manual/{Sampling}/  \n"
                                  << QStringList() << "manual/";
        QTest::newRow("short PDF") << "manual/" << condensed << "insertShortPDFURL" << -1 << "manual \n"
                                   << QStringList { "manual->tolvo://manual/_" } << "manual/";
        QTest::newRow("long PDF") << "manual/" << condensed << "insertLongPDFURL" << -1 << "tolvo://manual/  \n"
                                  << QStringList() << "manual/";
        QTest::newRow("PDF keeps a prefix without slash")
            << "manual" << condensed << "insertLongPDFURL" << -1 << "tolvo://manual  \n"
            << QStringList() << "manual";
        QTest::newRow("control page, expanded")
            << "manual/" << expanded << "insertLink" << 0 << "tolvo://manual/12/ " << QStringList() << "manual/";
        QTest::newRow("control TOC, expanded") << "manual/" << expanded << "insertLink" << 1
                                               << "tolvo://manual/{Methods}/  \ntolvo://manual/{Sampling}/  \n"
                                               << QStringList() << "manual/";
        QTest::newRow("control page, condensed") << "manual/" << condensed << "insertLink" << 0 << "manual/12/ "
                                                 << QStringList { "manual/12/->tolvo://manual/12/_" } << "manual/";
        QTest::newRow("control TOC, other style")
            << "manual/" << QString() << "insertLink" << 1 << "manual/Methods \nmanual/Sampling \n"
            << QStringList { "manual/Methods->tolvo://manual/{Methods}/_",
                   "manual/Sampling->tolvo://manual/{Sampling}/_" }
            << "manual/";
        QTest::newRow("control, unknown segment")
            << "manual/" << expanded << "insertLink" << 3 << QString() << QStringList() << "manual/";
    }

    void insertCommands()
    {
        QFETCH(QString, prefix);
        QFETCH(QString, style);
        QFETCH(QString, command);
        QFETCH(int, segment);
        QFETCH(QString, text);
        QFETCH(QStringList, links);
        QFETCH(QString, prefixAfter);
        MyDocument* doc = open(prefix);
        QVERIFY(doc);
        QCOMPARE(doc->pdfview()->currentPage(), 11);
        m_store.defaults->setValue(keys::kURLRichTextPreference, style);
        select({ "Methods", "Sampling" });
        if (segment >= 0)
            QVERIFY(QMetaObject::invokeMethod(doc, command.toLatin1(), Q_ARG(int, segment)));
        else
            QVERIFY(QMetaObject::invokeMethod(doc, command.toLatin1()));
        QTextEdit* notes = doc->selectedTextView();
        QCOMPARE(notes->toPlainText(), expand(text));
        QStringList expected;
        for (const QString& link : links)
            expected << expand(link);
        QCOMPARE(linksIn(notes), expected);
        QCOMPARE(doc->prefix(), prefixAfter);
        QCOMPARE(doc->pdfview()->prefix(), prefixAfter);
    }

    void typingAfterALinkIsPlain()
    {
        MyDocument* doc = open("manual/");
        QVERIFY(doc);
        doc->insertShortPDFURL();
        QTest::keyClicks(doc->selectedTextView(), "ok");
        QCOMPARE(doc->selectedTextView()->toPlainText(), QString("manual \nok"));
        QCOMPARE(linksIn(doc->selectedTextView()), QStringList { "manual->tolvo://manual/_" });
    }

    void tocCommandsWithoutSelectionDoNothing()
    {
        MyDocument* doc = open("manual/");
        QVERIFY(doc);
        select({});
        for (const char* command : { "insertPrefixBasedTOCURL", "insertShortTOCURL", "insertLongTOCURL" })
            QVERIFY(QMetaObject::invokeMethod(doc, command));
        QCOMPARE(doc->selectedTextView()->toPlainText(), QString());
        QApplication::clipboard()->setText("before");
        doc->copyTOCURLToClipboard();
        QCOMPARE(QApplication::clipboard()->text(), QString("before"));
    }

    void copyCommands_data()
    {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QStringList>("urls");
        QTest::newRow("page") << "manual/"
                              << "copyPageURLToClipboard" << QStringList() << QStringList { "tolvo://manual/12/" };
        QTest::newRow("page, capitals kept")
            << "Intro.Manual/"
            << "copyPageURLToClipboard" << QStringList() << QStringList { "tolvo://Intro.Manual/12/" };
        QTest::newRow("page, letters beyond ASCII")
            << "Café/"
            << "copyPageURLToClipboard" << QStringList() << QStringList { "tolvo://Café/12/" };
        QTest::newRow("page keeps a prefix without slash")
            << "manual"
            << "copyPageURLToClipboard" << QStringList() << QStringList { "tolvo://manual12/" };
        QTest::newRow("three TOC items in one write")
            << "manual/"
            << "copyTOCURLToClipboard" << QStringList { "Results", "Methods", "Analysis" }
            << QStringList { "tolvo://manual/{Results}/", "tolvo://manual/{Methods}/", "tolvo://manual/{Analysis}/" };
        QTest::newRow("PDF") << "manual/"
                             << "copyPDFURLToClipboard" << QStringList() << QStringList { "tolvo://manual/" };
    }

    void copyCommands()
    {
        QFETCH(QString, prefix);
        QFETCH(QString, command);
        QFETCH(QStringList, items);
        QFETCH(QStringList, urls);
        MyDocument* doc = open(prefix);
        QVERIFY(doc);
        select(items);
        QApplication::clipboard()->setText("before");
        QVERIFY(QMetaObject::invokeMethod(doc, command.toLatin1()));
        const QMimeData* data = QApplication::clipboard()->mimeData();
        QStringList expected;
        for (const QString& url : urls)
            expected << expand(url);
        // URL objects only: no rich text, no Markdown.
        QCOMPARE(data->formats(), (QStringList { "text/uri-list", "text/x-moz-url", "text/plain" }));
        // The URL texts as they are, one a line (RFC 2483's line ends).
        QByteArray uris;
        for (const QString& url : expected)
            uris += uriText(url).toLatin1() + "\r\n";
        QCOMPARE(data->data("text/uri-list"), uris);
        QCOMPARE(data->text(), expected.join("\n"));
    }

    void missingPrefixQuestion_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::newRow("cancel inserts") << "Cancel";
        QTest::newRow("OK opens the prefix sheet") << "OK";
    }

    void missingPrefixQuestion()
    {
        QFETCH(QString, answer);
        MyDocument* doc = open(QString()); // a temporary prefix, to be confirmed
        QVERIFY(doc);
        const QString temporary = doc->prefix();
        QVERIFY(temporary.startsWith("prefix-"));
        QVERIFY(doc->shouldConfirmPrefix());
        const std::shared_ptr<Answer> first = answerNextQuestion(answer);
        doc->insertLongPageURL();
        QVERIFY(first->shown);
        QCOMPARE(first->informative,
            "The current URL prefix for this PDF is " + temporary
                + ". Would you like to specify a more readable URL prefix?");
        QVERIFY(!doc->shouldConfirmPrefix());
        // The link that leaves names a stored prefix, made from the file name, not the temporary one.
        const QString link = "tolvo://Report/12/ ";
        if (answer == "OK") {
            QCOMPARE(doc->selectedTextView()->toPlainText(), QString());
            // The sheet comes a moment later, once the question has gone.
            QVERIFY(!doc->prefixWindow());
            QTRY_VERIFY(doc->prefixWindow() && doc->prefixWindow()->isVisible());
            doc->endPrefixSheet(0);
        } else {
            QCOMPARE(doc->selectedTextView()->toPlainText(), link);
        }
        // Asked once: the next long page link goes in without a question.
        const std::shared_ptr<Answer> second = answerNextQuestion("Cancel");
        doc->insertLongPageURL();
        second->stop = true;
        QVERIFY(!second->shown);
        QCOMPARE(doc->selectedTextView()->toPlainText(), answer == "OK" ? link : link + link);
        QVERIFY(!doc->prefixWindow() || !doc->prefixWindow()->isVisible());
    }

    void firstLinkStoresAPrefix_data()
    {
        QTest::addColumn<QString>("gesture");
        QTest::addColumn<QString>("carried"); // where the link shows: notes, clipboard or drag
        for (const char* command : { "insertShortPageURL", "copyPageURLToClipboard", "insertPrefixBasedTOCURL",
                 "insertShortTOCURL", "insertLongTOCURL", "copyTOCURLToClipboard", "insertShortPDFURL",
                 "insertLongPDFURL", "copyPDFURLToClipboard", "copySelectedItemsToClipboard", "grabSelectedText" })
            QTest::newRow(command) << command << (QByteArray(command).startsWith("copy") ? "clipboard" : "notes");
        QTest::newRow("TOC drag") << "tocDrag"
                                  << "drag";
        QTest::newRow("results drag") << "resultsDrag"
                                      << "drag";
        QTest::newRow("copy from the page") << "pageCopy"
                                            << "clipboard";
    }
    void firstLinkStoresAPrefix()
    {
        QFETCH(QString, gesture);
        QFETCH(QString, carried);
        MyDocument* doc = open(QString());
        QVERIFY(doc);
        QVERIFY(doc->prefix().startsWith("prefix-"));
        QVERIFY(m_store.defaults->dictionaryForKey(keys::kRoutingDictionary).isEmpty());
        setStyle(keys::kLinkStyleExpanded);
        select({ "Methods" });
        pdf::TextSelection selection;
        selection.text = "Page 12";
        selection.lines.push_back(pdf::SelectionLine { 11, "Page 12", QRectF(72.4, 680, 90, 20.6) });
        doc->pdfview()->setCurrentSelection(selection);
        QApplication::clipboard()->clear();

        QMimeData dragged;
        if (gesture == "tocDrag") {
            QVERIFY(doc->outlineView({ item("Methods") }, &dragged));
        } else if (gesture == "resultsDrag") {
            MySearchResult result;
            result.pageLabel = "12";
            result.resultDescription = "p. 12";
            QVERIFY(doc->tableView({ &result }, &dragged));
        } else if (gesture == "pageCopy") {
            doc->pdfview()->copy();
        } else {
            QVERIFY(QMetaObject::invokeMethod(doc, gesture.toLatin1()));
        }
        const QString text = carried == "notes" ? doc->selectedTextView()->toHtml()
            : carried == "drag"
            ? dragged.text() + dragged.html()
            : QApplication::clipboard()->mimeData()->text() + QApplication::clipboard()->mimeData()->html();
        QVERIFY2(text.contains("Report/"), qPrintable(text));
        QVERIFY(!text.contains("prefix-"));
        // The prefix is stored before the link leaves: after a restart the link opens the PDF.
        QCOMPARE(doc->prefix(), QStringLiteral("Report/"));
        QCOMPARE(doc->pdfview()->prefix(), QStringLiteral("Report/"));
        QCOMPARE(RoutingTable(*m_store.defaults, SearchScope::none()).keysForPath(doc->filePath()),
            QStringList { "Report/" });
    }

    void linkStyleControl()
    {
        MyDocument* doc = open("manual/");
        QVERIFY(doc);
        doc->FormatURLCondensedTOCTitle();
        QCOMPARE(doc->richURLSegmentedControl()->selectedSegment(), 2);
        doc->richURLSegmentedControl()->segment(1)->click();
        QCOMPARE(m_store.defaults->stringForKey(keys::kURLRichTextPreference), QString(keys::kLinkStyleCondensed));
        doc->changeURLRichTextPreference(7);
        QCOMPARE(m_store.defaults->stringForKey(keys::kURLRichTextPreference), QString(keys::kLinkStyleCondensed));
        QCOMPARE(doc->richURLSegmentedControl()->selectedSegment(), 1);
    }

    void linkStyleSheet_data()
    {
        QTest::addColumn<int>("cell");
        QTest::addColumn<int>("tag");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("segment");
        QTest::newRow("OK stores") << 2 << 1 << QString(keys::kLinkStyleCondensedWithTOCTitle) << 2;
        QTest::newRow("cancel keeps") << 2 << 0 << QString(keys::kLinkStyleCondensed) << 1;
        QTest::newRow("another tag keeps") << 0 << 5 << QString(keys::kLinkStyleCondensed) << 1;
    }

    void linkStyleSheet()
    {
        QFETCH(int, cell);
        QFETCH(int, tag);
        QFETCH(QString, stored);
        QFETCH(int, segment);
        MyDocument* doc = open("manual/");
        QVERIFY(doc);
        doc->FormatURLCondensed();
        doc->configureURLRichText();
        LinkStyleSheet* sheet = doc->urlRichTextSheet();
        QVERIFY(sheet && sheet->isVisible());
        QCOMPARE(sheet->selectedTag(), 1);
        sheet->selectCellWithTag(cell);
        doc->endURLRichTextSheet(tag);
        QVERIFY(!sheet->isVisible());
        QCOMPARE(m_store.defaults->stringForKey(keys::kURLRichTextPreference), stored);
        QCOMPARE(doc->richURLSegmentedControl()->selectedSegment(), segment);
    }

    void tocDrag_data()
    {
        QTest::addColumn<bool>("tabs");
        QTest::addColumn<bool>("titles");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("rich");
        QTest::newRow("third level, tabs and title") << true << true << QStringList { "Regression Models" }
                                                     << "\t\tRegression Models tolvo://manual/{Regression Models}/"
                                                     << "\t\tRegression Models manual/{Regression Models}/ ";
        QTest::newRow("both off: the bare URL")
            << false << false << QStringList { "Regression Models" } << "tolvo://manual/{Regression Models}/"
            << "manual/{Regression Models}/ ";
        QTest::newRow("three items")
            << false << true << QStringList { "Introduction", "Methods", "Sampling" }
            << "Introduction tolvo://manual/{Introduction}/\nMethods tolvo://manual/{Methods}/\n"
               "Sampling tolvo://manual/{Sampling}/"
            << "Introduction manual/{Introduction}/  \nMethods manual/{Methods}/  \nSampling manual/{Sampling}/ ";
    }

    void tocDrag()
    {
        QFETCH(bool, tabs);
        QFETCH(bool, titles);
        QFETCH(QStringList, items);
        QFETCH(QString, plain);
        QFETCH(QString, rich);
        MyDocument* doc = open("manual/");
        QVERIFY(doc);
        setStyle(keys::kLinkStyleCondensed);
        m_store.defaults->setValue(keys::kShouldAddLeadingTabs, tabs);
        m_store.defaults->setValue(keys::kCopyTOCTitleWhenCopyingTOCLinks, titles);
        // The other title option is not read by anything.
        m_store.defaults->setValue(keys::kDragTOCTitleWhenDraggingTOCLinks, !titles);
        QList<const MyOutlineItem*> dragged;
        for (const QString& title : items)
            dragged << item(title);
        QMimeData data;
        QVERIFY(doc->outlineView(dragged, &data));
        QCOMPARE(data.text(), expand(plain));
        const std::optional<RichText> read = fromRtf(data.data("text/rtf"));
        QVERIFY(read);
        QCOMPARE(read->toPlainText(), expand(rich));
        QCOMPARE(data.data("application/rtf"), data.data("text/rtf"));
        QVERIFY(data.hasHtml());
        // The last link carries the URL, its closing space does not.
        QCOMPARE(read->runs().last().text, QString(" "));
        QCOMPARE(
            read->runs()[read->runs().size() - 2].attributes.link, expand("tolvo://manual/{" + items.last() + "}/"));
    }

    void emptyTocDragWritesNothing()
    {
        MyDocument* doc = open("manual/");
        QVERIFY(doc);
        QMimeData data;
        QVERIFY(doc->outlineView({}, &data));
        QVERIFY(data.formats().isEmpty());
    }

    void tocCopy_data()
    {
        QTest::addColumn<bool>("markdown");
        QTest::addColumn<QStringList>("formats");
        QTest::addColumn<QString>("text");
        QTest::newRow("markdown") << true << QStringList { "text/plain" }
                                  << "* Methods [manual/{Methods}](tolvo://manual/{Methods}/)\n"
                                     "* Sampling [manual/{Sampling}](tolvo://manual/{Sampling}/)";
        QTest::newRow("rich") << false << QStringList { "text/rtf", "application/rtf", "text/html", "text/plain" }
                              << "manual/{Methods}/  \nmanual/{Sampling}/ ";
    }

    void tocCopy()
    {
        QFETCH(bool, markdown);
        QFETCH(QStringList, formats);
        QFETCH(QString, text);
        MyDocument* doc = open("manual/");
        QVERIFY(doc);
        setStyle(keys::kLinkStyleCondensed);
        m_store.defaults->setValue(keys::kShouldUseMarkdownForCopy, markdown);
        m_store.defaults->setValue(keys::kShouldAddLeadingTabs, true); // never read by the copy
        select({ "Methods", "Sampling" });
        QApplication::clipboard()->setText("before");
        // Copy in the TOC goes to the document, its delegate.
        doc->outlineview()->setFocus();
        doc->outlineview()->copy();
        const QMimeData* data = QApplication::clipboard()->mimeData();
        QStringList got = data->formats();
        QCOMPARE(QSet<QString>(got.begin(), got.end()), QSet<QString>(formats.begin(), formats.end()));
        QCOMPARE(data->text(), expand(text));
        if (!markdown)
            QCOMPARE(fromRtf(data->data("text/rtf"))->toPlainText(), expand(text));
    }

    void searchResultsDragTexts()
    {
        MyDocument* doc = open("manual/");
        QVERIFY(doc);
        MySearchResult toc;
        toc.resultType = kResultTypeTOC;
        toc.resultDescription = "Methods";
        toc.pageLabel = item("Methods")->pageLabel();
        toc.resultMoreInfo = item("Methods");
        MySearchResult text;
        text.resultType = kResultTypeText;
        text.resultDescription = "\"page\" found on page 7";
        text.pageLabel = "7";
        TransferOptions options;
        options.style = LinkStyle::CondensedWithTOCTitle;
        const LinkTransfer transfer = tolvo::searchResultsDrag(doc->outline(), { &toc, &text }, "manual/", options);
        QCOMPARE(transfer.plainText(), expand("tolvo://manual/{Methods}/\ntolvo://manual/7/"));
        QCOMPARE(
            transfer.rich.toPlainText(), QString("Methods manual/Methods/  \n\"page\" found on page 7 manual/7/ "));
        QMimeData data;
        QVERIFY(doc->tableView({ &toc, &text }, &data));
        QCOMPARE(data.text(), transfer.plainText());
    }

    void userFontOverTheWholeDrag()
    {
        MyDocument* doc = open("manual/");
        QVERIFY(doc);
        m_store.defaults->setValue(keys::kCopyTOCTitleWhenCopyingTOCLinks, true);
        m_store.defaults->setValue(keys::kFontNameForRichTextCopiedFromPDF, QString("DejaVu Serif"));
        m_store.defaults->setValue(keys::kFontSizeForRichTextCopiedFromPDF, 15.0);
        const LinkTransfer transfer
            = tocItemsDrag(doc->outline(), { item("Methods") }, "manual/", TransferOptions::read(*m_store.defaults));
        for (const TextRun& run : transfer.rich.runs())
            QCOMPARE(run.attributes.font, (FontSpec { "DejaVu Serif", 15.0 }));
        m_store.defaults->setValue(keys::kFontNameForRichTextCopiedFromPDF, QString("No Such Font Family"));
        const LinkTransfer plain
            = tocItemsDrag(doc->outline(), { item("Methods") }, "manual/", TransferOptions::read(*m_store.defaults));
        for (const TextRun& run : plain.rich.runs())
            QVERIFY(!run.attributes.font);
    }

    void grab_data()
    {
        QTest::addColumn<bool>("markdown");
        QTest::addColumn<bool>("append");
        QTest::addColumn<QString>("style");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("links");
        QTest::newRow("rich, expanded") << false << true << QString(keys::kLinkStyleExpanded)
                                        << "\nPage 12 tolvo://manual/12/@loc/72x/701y/ \n"
                                        << QStringList {
                                               "tolvo://manual/12/@loc/72x/701y/->tolvo://manual/12/@loc/72x/701y/"
                                           };
        QTest::newRow("rich, condensed") << false << true << QString(keys::kLinkStyleCondensed)
                                         << "\nPage 12 manual/12/ \n"
                                         << QStringList { "manual/12/->tolvo://manual/12/@loc/72x/701y/" };
        QTest::newRow("rich, no link") << false << false << QString(keys::kLinkStyleCondensed) << "\nPage 12\n"
                                       << QStringList();
        QTest::newRow("markdown") << true << true << QString(keys::kLinkStyleCondensed)
                                  << "\nPage 12 [manual/12](tolvo://manual/12/@loc/72x/701y/)\n"
                                  << QStringList();
        QTest::newRow("markdown, no link") << true << false << QString(keys::kLinkStyleCondensed) << "\nPage 12\n"
                                           << QStringList();
    }

    void grab()
    {
        QFETCH(bool, markdown);
        QFETCH(bool, append);
        QFETCH(QString, style);
        QFETCH(QString, text);
        QFETCH(QStringList, links);
        MyDocument* doc = open("manual/");
        QVERIFY(doc);
        m_store.defaults->setValue(keys::kURLRichTextPreference, style);
        m_store.defaults->setValue(keys::kShouldUseMarkdownForCopy, markdown);
        m_store.defaults->setValue(keys::kShouldAppendURLOnCopy, append);
        pdf::TextSelection selection;
        selection.text = "Page 12";
        selection.lines.push_back(pdf::SelectionLine { 11, "Page 12", QRectF(72.4, 680, 90, 20.6) });
        doc->pdfview()->setCurrentSelection(selection);
        doc->grabSelectedText();
        QCOMPARE(doc->selectedTextView()->toPlainText(), text);
        QCOMPARE(linksIn(doc->selectedTextView()), links);
    }

    void grabWithoutSelectionInsertsNothing()
    {
        MyDocument* doc = open("manual/");
        QVERIFY(doc);
        doc->pdfview()->clearSelection();
        doc->grabSelectedText();
        QCOMPARE(doc->selectedTextView()->toPlainText(), QString());
    }

    void linksMenu()
    {
        MyDocument* doc = open("manual/");
        QVERIFY(doc);
        auto* menu = doc->myWindow()->findChild<QMenu*>("linksMenu");
        QVERIFY(menu);
        QStringList keysUsed;
        for (QAction* action : doc->myWindow()->findChildren<QAction*>())
            if (!action->shortcut().isEmpty())
                keysUsed << action->shortcut().toString();
        // No shortcut of the window is taken twice.
        QCOMPARE(QSet<QString>(keysUsed.begin(), keysUsed.end()).size(), keysUsed.size());
    }
};

QTEST_MAIN(TestLinkCommands)
#include "test_link_commands.moc"
