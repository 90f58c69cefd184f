// SPDX-License-Identifier: GPL-3.0-or-later
// Every link comes back: for each place of a PDF (pages labelled with a blank, in roman and arabic
// numerals, labels that are also outline words; outline titles beyond ASCII and hostile ones; exact
// spots) each command that makes a link renders it in each of its formats. The link is read back
// as another program reads it (pandoc for RTF and HTML, cmark for Markdown, the bytes of
// text/uri-list and text/x-moz-url, the plain text), followed through the dispatch into a real
// document window, and the window must show the place the link was made for.
#include "document/LinkTransfers.h"
#include "document/MyDocument.h"
#include "links/HtmlWriter.h"
#include "links/LinkGrammar.h"
#include "links/RtfWriter.h"
#include "outline/OutlineModel.h"
#include "outline/OutlineTree.h"
#include "pageview/LabelPDFView.h"
#include "render/LocationLinks.h"
#include "routing/DocumentPrefix.h"
#include "routing/RoutingTable.h"
#include "routing/UrlDispatch.h"
#include "search/AnnotationExport.h"
#include "search/MySearchResult.h"
#include "support/LinkReaders.h"
#include "support/ScratchStore.h"
#include "widgets/TLNSOutlineView.h"

#include <QClipboard>
#include <QMimeData>
#include <QTextEdit>
#include <QtTest>

using namespace tolvo;

namespace {

// Capitals and a letter beyond ASCII: what QUrl would lower-case and turn into punycode.
const QString kPrefix = QStringLiteral("Café.Manual/");

QString fixturePdf()
{
    return qEnvironmentVariable("TOLVO_FIXTURES") + QStringLiteral("/roundtrip/Roundtrip.pdf");
}

struct CliRun {
    int exitCode = -1;
    QByteArray out;
};

// tolvo-cli over an empty defaults store of its own.
CliRun runCli(const QStringList& args)
{
    static QTemporaryDir config;
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", config.path());
    env.insert("XDG_DATA_HOME", config.path());
    env.insert("XDG_RUNTIME_DIR", config.path());
    p.setProcessEnvironment(env);
    p.start(qEnvironmentVariable("TOLVO_BINARY_DIR") + "/src/tolvo-cli", args);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit)
        return {};
    return { p.exitCode(), p.readAllStandardOutput() };
}

/// One link as read back: which command and format made it, and the URL a reader found.
struct ReadBack {
    QString how;
    QString url;
};

} // namespace

class TestRoundTrip : public QObject {
    Q_OBJECT

    test::ScratchStore m_store;
    std::unique_ptr<MyDocument> m_doc;
    QList<ReadBack> m_read;
    bool m_readersFailed = false;

    const OutlineTree& tree() const { return m_doc->outline(); }

    const MyOutlineItem* item(const QString& title) const
    {
        for (const MyOutlineItem* i : tree().items())
            if (i->pageTitle() == title)
                return i;
        return nullptr;
    }

    QTextEdit* notes() const { return m_doc->selectedTextView(); }

    // ---- Readers ---------------------------------------------------------------------------

    void add(const QString& how, const QString& url) { m_read.append({ how, url }); }

    // Every link that a reader found in a document, or a failure entry when it found none.
    void addAll(const QString& how, const std::optional<test::ReadDocument>& doc)
    {
        if (!doc) {
            m_readersFailed = true;
            add(how + " (reader failed)", QString());
            return;
        }
        if (doc->links.size() != 1)
            add(how + QStringLiteral(" (%1 links)").arg(doc->links.size()), QString());
        for (const test::ReadLink& link : doc->links)
            add(how, link.destination);
    }

    void readRich(const QString& how, const RichText& rich)
    {
        addAll(how + ", RTF via pandoc", test::pandocRead(toRtf(rich), "rtf"));
        addAll(how + ", HTML via pandoc", test::pandocRead(toHtml(rich).toUtf8(), "html"));
    }

    void readNotes(const QString& how)
    {
        addAll(how + ", notes as HTML via pandoc", test::pandocRead(notes()->toHtml().toUtf8(), "html"));
        notes()->clear();
    }

    void readPlainNotes(const QString& how)
    {
        add(how + ", plain text in the notes", notes()->toPlainText().trimmed());
        notes()->clear();
    }

    void readUrlClipboard(const QString& how)
    {
        const QMimeData* data = QApplication::clipboard()->mimeData();
        const QList<QByteArray> uris = data->data("text/uri-list").split('\n');
        add(how + ", text/uri-list", QString::fromLatin1(uris.value(0).chopped(uris.size() > 1 ? 1 : 0)));
        const QByteArray moz = data->data("text/x-moz-url");
        const QString mozText = QString::fromUtf16(reinterpret_cast<const char16_t*>(moz.constData()), moz.size() / 2);
        add(how + ", text/x-moz-url", mozText.section(u'\n', 0, 0));
        add(how + ", text/plain", data->text());
    }

    void readCli(const QString& how, const QStringList& args)
    {
        const QStringList common = { "link", fixturePdf(), "--prefix", kPrefix, "--format" };
        for (const QString& format : QStringList { "url", "markdown", "html", "rtf" }) {
            const CliRun run = runCli(common + QStringList { format } + args);
            const QString name = how + ", tolvo-cli --format " + format;
            if (run.exitCode != 0)
                add(name + QStringLiteral(" (exit %1)").arg(run.exitCode), QString());
            else if (format == u"url")
                add(name, QString::fromUtf8(run.out).trimmed());
            else if (format == u"markdown")
                addAll(name + " via cmark", test::cmarkRead(QString::fromUtf8(run.out)));
            else
                addAll(name + " via pandoc", test::pandocRead(run.out, format));
        }
    }

    // ---- Following ---------------------------------------------------------------------------

    // Follows a URL as the application does: the dispatch as received, then percent-decoded;
    // the document then goes to the target. False when the dispatch finds no open document.
    bool follow(const QString& url)
    {
        RoutingTable routing(*m_store.defaults);
        const QStringList open { m_doc->prefix() };
        DispatchDecision decision = decideDispatch(url, open, routing);
        const QString decoded = percentDecodedURL(url);
        if (decision.kind == DispatchDecision::Kind::NotFound && decoded != url)
            decision = decideDispatch(decoded, open, routing);
        if (decision.kind != DispatchDecision::Kind::OpenDocument)
            return false;
        QString target = decision.target;
        const TargetReading reading = readTarget(
            target, [this](const QString& label) { return m_doc->pageForLabel(label); },
            [this](const QStringList& components) -> std::optional<int> {
                return tree().moiMatchingURLSuffix(components) ? std::optional<int>(0) : std::nullopt;
            });
        if (decoded != url && reading.kind == TargetReading::Kind::None)
            if (const auto again = splitLinkURL(decoded, open))
                target = again->target;
        m_doc->gotoString(target);
        return true;
    }

    const MyOutlineItem* selectedItem() const
    {
        return OutlineModel::itemForIndex(m_doc->outlineview()->selectionModel()->currentIndex());
    }

    // Each read-back link must be the URL text (uri-list forms: its URI form) and, followed,
    // show the page, and for a TOC link select the entry. Known faults are expected to fail.
    void checkAll(const QString& url, int page, const MyOutlineItem* entry, const char* knownFault)
    {
        QVERIFY2(!m_readersFailed, "pandoc or cmark could not be run");
        QVERIFY(!m_read.isEmpty());
        // The URL text itself, or (where a reader or a format encodes what it cannot hold) a form
        // whose percent-decoded reading is the URL text; uri-list forms exactly its URI form.
        for (const ReadBack& read : std::as_const(m_read)) {
            const bool uri = read.how.contains("uri-list") || read.how.contains("x-moz-url");
            const bool exact = uri ? read.url == uriText(url) : read.url == url || percentDecodedURL(read.url) == url;
            QVERIFY2(exact, qPrintable(read.how + ": read back \"" + read.url + "\""));
        }
        QSet<QString> followed;
        for (const ReadBack& read : std::as_const(m_read)) {
            if (followed.contains(read.url))
                continue;
            followed.insert(read.url);
            m_doc->pdfview()->goToPage((page + 8) % 17);
            QVERIFY2(follow(read.url), qPrintable(read.how + ": no document for " + read.url));
            if (knownFault)
                QEXPECT_FAIL("", knownFault, Abort);
            QVERIFY2(m_doc->pdfview()->currentPage() == page,
                qPrintable(QStringLiteral("%1: %2 shows page %3, not %4")
                               .arg(read.how, read.url)
                               .arg(m_doc->pdfview()->currentPage())
                               .arg(page)));
            if (entry)
                QVERIFY2(selectedItem() == entry, qPrintable(read.how + ": " + read.url + " selects another entry"));
        }
    }

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable("pandoc").isEmpty() || QStandardPaths::findExecutable("cmark").isEmpty())
            QFAIL("pandoc and cmark are needed (tools/setup-debian.sh installs them)");
        m_store.renew();
        m_store.useAsConfigHome();
        m_doc = std::make_unique<MyDocument>(m_store.environment());
        QVERIFY(m_doc->readFromURL(fixturePdf()));
        m_doc->makeWindowControllers();
        m_doc->documentPrefix()->storePrefix(kPrefix);
        QCOMPARE(m_doc->prefix(), kPrefix);
        m_doc->finishSetUp();
        // The window's first positioning goes to the first page; after it the view stays put.
        m_doc->pdfview()->goToPage(5);
        QTRY_COMPARE(m_doc->pdfview()->currentPage(), 0);
        m_store.defaults->setValue(keys::kURLRichTextPreference, QString(keys::kLinkStyleCondensedWithTOCTitle));
    }

    void init()
    {
        m_read.clear();
        m_readersFailed = false;
        notes()->clear();
    }

    void pageLinks_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("knownFault");
        // Until the reading order puts an exact page label before a title path, a label that is
        // also an outline word opens the entry. Asked of the reading itself, so that these rows
        // check in earnest once it does.
        const TargetReading probe = readTarget(
            "1/", [](const QString& label) { return label == "1" ? std::optional<int>(0) : std::nullopt; },
            [](const QStringList&) { return std::optional<int>(0); });
        const QString labelsLose = probe.kind == TargetReading::Kind::Page
            ? QString()
            : QStringLiteral("a title path wins over a page label that is also an outline word");
        QTest::newRow("label with a blank") << "Cover Page" << 0 << labelsLose;
        QTest::newRow("roman i") << "i" << 1 << labelsLose;
        QTest::newRow("roman iv, an outline word") << "iv" << 4 << labelsLose;
        QTest::newRow("arabic 1, an outline word") << "1" << 5 << labelsLose;
        QTest::newRow("arabic 6") << "6" << 10 << QString();
        QTest::newRow("arabic 12, an outline word") << "12" << 16 << labelsLose;
    }
    void pageLinks()
    {
        QFETCH(QString, label);
        QFETCH(int, page);
        QFETCH(QString, knownFault);
        const QString url = pageLink(kPrefix, label);

        m_doc->pdfview()->goToPage(page);
        m_doc->insertShortPageURL();
        readNotes("insertShortPageURL");
        m_doc->insertLongPageURL();
        readPlainNotes("insertLongPageURL");
        QApplication::clipboard()->clear();
        m_doc->copyPageURLToClipboard();
        readUrlClipboard("copyPageURLToClipboard");

        MySearchResult result;
        result.resultType = QStringLiteral("Page");
        result.pageLabel = label;
        TransferOptions options = TransferOptions::read(*m_store.defaults);
        const LinkTransfer drag = searchResultsDrag(tree(), { &result }, kPrefix, options);
        add("search results drag, plain text", drag.plainText());
        readRich("search results drag", drag.rich);

        // The text under a highlight and the comment on it are both the reader's, and both hostile here.
        const std::vector<AnnotationRecord> records { { "Highlight", "*not* [a link](tolvo://evil/) & <b>", label, page,
            {}, "[also not](tolvo://evil/) <i>\nsecond line" } };
        const ExportStyle style { kPrefix, LinkStyle::Condensed, true };
        const ExportOptions all;
        addAll("annotation export, Markdown via cmark",
            test::cmarkRead(QString::fromUtf8(*annotationExportDocument(records, all, style, ExportFormat::Markdown))));
        addAll("annotation export, HTML via pandoc",
            test::pandocRead(*annotationExportDocument(records, all, style, ExportFormat::Html), "html"));
        addAll("annotation export, RTF via pandoc",
            test::pandocRead(*annotationExportDocument(records, all, style, ExportFormat::Rtf), "rtf"));

        readCli("tolvo-cli link --page", { "--page", label });
        const QByteArray fault = knownFault.toUtf8();
        checkAll(url, page, nullptr, fault.isEmpty() ? nullptr : fault.constData());
    }

    void tocLinks_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("page");
        QTest::newRow("non-ASCII") << "Préface" << 1;
        QTest::newRow("roman word") << "Chapter iv: Scope" << 3;
        QTest::newRow("arabic word") << "12 Errors and Warnings" << 6;
        QTest::newRow("non-ASCII child") << "Über die Fehler" << 7;
        QTest::newRow("hostile") << "Link](javascript:alert(1)) [x" << 8;
        QTest::newRow("number word") << "1 Introduction" << 9;
        QTest::newRow("label words") << "Cover Page Notes" << 11;
        QTest::newRow("plain") << "Index" << 16;
    }
    void tocLinks()
    {
        QFETCH(QString, title);
        QFETCH(int, page);
        const MyOutlineItem* entry = item(title);
        QVERIFY(entry);
        const QString target = tree().makeShortURLForMOI(entry);
        const QString url = tocLink(kPrefix, target);
        QItemSelectionModel* selection = m_doc->outlineview()->selectionModel();
        selection->select(m_doc->treecontroller()->indexPathForMOI(entry),
            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);

        m_doc->insertPrefixBasedTOCURL();
        readNotes("insertPrefixBasedTOCURL");
        m_doc->insertShortTOCURL();
        readNotes("insertShortTOCURL");
        m_doc->insertLongTOCURL();
        readPlainNotes("insertLongTOCURL");
        m_doc->copyTOCURLToClipboard();
        readUrlClipboard("copyTOCURLToClipboard");

        m_store.defaults->setValue(keys::kShouldUseMarkdownForCopy, true);
        m_doc->copySelectedItemsToClipboard();
        const std::optional<test::ReadDocument> markdown = test::cmarkRead(QApplication::clipboard()->text());
        addAll("TOC Copy, Markdown via cmark", markdown);
        // The list item reads as the title and the link's label: the title planted nothing.
        if (markdown && !markdown->links.isEmpty())
            QCOMPARE(markdown->text, title + ' ' + markdown->links.first().text + '\n');
        m_store.defaults->setValue(keys::kShouldUseMarkdownForCopy, false);
        m_doc->copySelectedItemsToClipboard();
        addAll("TOC Copy, RTF via pandoc",
            test::pandocRead(QApplication::clipboard()->mimeData()->data("text/rtf"), "rtf"));

        TransferOptions options = TransferOptions::read(*m_store.defaults);
        options.tocTitle = false;
        options.leadingTabs = false;
        const LinkTransfer drag = tocItemsDrag(tree(), { entry }, kPrefix, options);
        add("TOC drag, plain text", drag.plainText());
        readRich("TOC drag", drag.rich);

        readCli("tolvo-cli link --toc", { "--toc", target });
        checkAll(url, page, entry, nullptr);
    }

    void locationLinks_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("page");
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<QString>("knownFault");
        QTest::newRow("label with a blank") << "Cover Page" << 0 << QPointF(100.4, 500.6) << QString();
        QTest::newRow("roman") << "iv" << 4 << QPointF(72, 700) << QString();
        QTest::newRow("arabic, an outline word") << "12" << 16 << QPointF(300.5, 400.5) << QString();
    }
    void locationLinks()
    {
        QFETCH(QString, label);
        QFETCH(int, page);
        QFETCH(QPointF, point);
        QFETCH(QString, knownFault);
        const LinkPlace place = LinkPlace::location(label, point);
        const QString url = urlText(kPrefix, place);
        const QString quote = QStringLiteral("Sheet *1* [x](tolvo://evil/)");
        for (const LinkStyle style : { LinkStyle::Expanded, LinkStyle::Condensed, LinkStyle::Other }) {
            const SelectionCopy copy = selectionCopy(quote, kPrefix, place, { style, true, true, std::nullopt });
            const QString name = "copy from the page, " + linkStyleString(style);
            const std::optional<test::ReadDocument> markdown = test::cmarkRead(copy.markdown);
            addAll(name + ", Markdown via cmark", markdown);
            if (markdown && !markdown->links.isEmpty())
                QVERIFY(markdown->text.startsWith(quote + ' '));
            readRich(name, copy.rich);
        }
        readCli("tolvo-cli link --point",
            { "--point", label, QString::number(point.x(), 'f', 1), QString::number(point.y(), 'f', 1) });
        const QByteArray fault = knownFault.toUtf8();
        checkAll(url, page, nullptr, fault.isEmpty() ? nullptr : fault.constData());
    }
};

QTEST_MAIN(TestRoundTrip)
#include "test_roundtrip.moc"
