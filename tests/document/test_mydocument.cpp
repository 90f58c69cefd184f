// SPDX-License-Identifier: GPL-3.0-or-later
// The document window: what its set-up leaves visible, the title, navigation and the
// go-to sheet, the display check marks, the outline pane, notes across windows, the
// alert for a file that is no PDF, the OPML command, the prefix sheet and the controller.
#include "document/DocumentController.h"
#include "document/DocumentMenus.h"
#include "document/DocumentWindow.h"
#include "document/GotoPageSheet.h"
#include "document/MyDocument.h"
#include "document/NotesStore.h"
#include "document/OpenAhead.h"
#include "document/OpmlExport.h"
#include "document/PrefixSheet.h"
#include "links/RichText.h"
#include "outline/OutlineModel.h"
#include "outline/OutlineTree.h"
#include "pageview/LabelPDFView.h"
#include "pdf/PdfDocument.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"
#include "settings/NotesFiles.h"
#include "support/ScratchStore.h"
#include "support/WindowWaits.h"
#include "widgets/TLNSOutlineView.h"
#include "widgets/TLSplitView.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>

using namespace tolvo;

namespace {

QString fixture(const QString& name)
{
    return qEnvironmentVariable("TOLVO_FIXTURES") + QStringLiteral("/docwin/") + name;
}

// Calls act with the first modal dialog of type T that shows up.
template <typename T> void whenModalShows(std::function<void(T*)> act)
{
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(dialog);
        }
    });
    timer->start();
}

QPushButton* buttonWithText(QWidget* parent, const QString& text)
{
    for (QPushButton* button : parent->findChildren<QPushButton*>())
        if (button->text() == text)
            return button;
    return nullptr;
}

} // namespace

class TestMyDocument : public QObject {
    Q_OBJECT

    test::ScratchStore m_store;
    QStringList m_revealed;
    std::vector<std::unique_ptr<MyDocument>> m_docs;

    DocumentEnvironment environment()
    {
        DocumentEnvironment env = m_store.environment();
        env.revealFile = [this](const QString& path) { m_revealed.append(path); };
        return env;
    }

    MyDocument* open(const QString& name)
    {
        auto doc = std::make_unique<MyDocument>(environment());
        if (!doc->readFromURL(fixture(name)))
            return nullptr;
        doc->makeWindowControllers();
        m_docs.push_back(std::move(doc));
        return m_docs.back().get();
    }

    static void waitForDividers(MyDocument* doc)
    {
        doc->finishSetUp();
        QTRY_VERIFY(!doc->mainSplitView()->isAnimating());
        QVERIFY(tolvo::test::waitForSplitViews(doc->myWindow()));
    }

private slots:
    void initTestCase()
    {
        // The page view and anything else that reaches for the standard store see a scratch folder.
        m_store.useAsConfigHome();
        // The exported OPML goes to the log; the tests read the files instead.
        QLoggingCategory::setFilterRules(QStringLiteral("tolvo.opml.info=false"));
        QVERIFY(QFile::exists(fixture("Report.pdf")));
    }

    void init()
    {
        m_store.renew();
        m_revealed.clear();
    }

    void cleanup()
    {
        m_docs.clear();
        m_store.clear();
    }

    void setUpLeavesItsMarks()
    {
        m_store.defaults->setValue("TolvoLastSelectedScratchpad", 3);
        MyDocument* doc = open("Report.pdf");
        QVERIFY(doc);
        DocumentWindow* window = doc->myWindow();
        QVERIFY(window->isVisible());
        // The search pane is closed; the pages carry the PDF with their label box bottom right.
        QCOMPARE(doc->searchSplitView()->paneLength(0), 0);
        pageview::LabelPDFView* view = doc->pdfview();
        QCOMPARE(view->document(), doc->pdfdoc());
        QCOMPARE(view->pageLabelLocation(), QString("Q4"));
        // A PDF never seen before gets a temporary prefix, which the page view shows.
        QVERIFY(QRegularExpression("^prefix-\\d+/$").match(doc->prefix()).hasMatch());
        QVERIFY(doc->shouldConfirmPrefix());
        QCOMPARE(view->prefix(), doc->prefix());
        QCOMPARE(view->displayMode(), pageview::DisplayMode::SinglePageContinuous);
        QVERIFY(view->autoScales());
        QVERIFY(!view->acceptDrops());
        QVERIFY(window->findChild<QWidget*>("notesRuler")->isVisible());
        QCOMPARE(window->windowTitle(), QString("Report.pdf (page 1 of 12)"));
        QCOMPARE(doc->tabviewselectedlabel(), QString("4"));
        QCOMPARE(window->focusWidget(), doc->selectedTextView());

        // Once the first page shows: the outline, the label map and the panes.
        QTRY_VERIFY(doc->treecontroller());
        QCOMPARE(doc->treecontroller()->rowCount(), 4);
        QCOMPARE(doc->outlineview()->indentation(), 22);
        QCOMPARE(doc->pageLabel2pageIndex().size(), 12);
        QCOMPARE(doc->pageLabel2pageIndex().value("12"), 11);
        waitForDividers(doc);
        QCOMPARE(doc->mainSplitView()->dividerPosition(0), 250);
        QCOMPARE(doc->mainSplitView()->dividerPosition(1), 500);
        QCOMPARE(window->width(), 1103);
    }

    void firstPositioningShowsTopLeftOfFirstPage()
    {
        MyDocument* doc = open("Report.pdf");
        QVERIFY(doc);
        doc->pdfview()->goToPage(5);
        QCOMPARE(doc->pdfview()->currentPage(), 5);
        QTRY_COMPARE_WITH_TIMEOUT(doc->pdfview()->currentPage(), 0, 2000);
        const pdf::Destination here = doc->pdfview()->currentDestination();
        QVERIFY(here.point);
        QVERIFY(qAbs(here.point->y() - 792) < 2);
        QVERIFY(here.point->x() < 2);
        // The window opened here; there is nothing to go back to.
        QVERIFY(!doc->pdfview()->canGoBack());
    }

    void withoutOutline()
    {
        // The option to hide a missing TOC is on by default.
        MyDocument* doc = open("NoOutline.pdf");
        QVERIFY(doc);
        QCOMPARE(doc->outline().outlinedata_array().size(), std::size_t(0));
        waitForDividers(doc);
        QCOMPARE(doc->mainSplitView()->dividerPosition(0), 250);
        QCOMPARE(doc->mainSplitView()->paneLength(1), 0);
        QTRY_COMPARE_WITH_TIMEOUT(doc->pdfview()->currentPage(), 0, 2000);
        // The TOC toggle shows three panes: the TOC pane counts as hidden.
        doc->TOCToggleView();
        QTRY_COMPARE(doc->myWindow()->width(), 1103);
        QTRY_COMPARE(doc->mainSplitView()->dividerPosition(1), 500);
    }

    void titleFollowsThePage()
    {
        MyDocument* doc = open("Report.pdf");
        QVERIFY(doc);
        QVERIFY(tolvo::test::waitForFirstPositioning(doc));
        doc->PDFnextPage();
        QTRY_COMPARE(doc->myWindow()->windowTitle(), QString("Report.pdf (page 2 of 12)"));
        doc->pdfview()->goToPage(11);
        QTRY_COMPARE(doc->myWindow()->windowTitle(), QString("Report.pdf (page 12 of 12)"));
        doc->PDFgoBack();
        QTRY_COMPARE(doc->myWindow()->windowTitle(), QString("Report.pdf (page 2 of 12)"));
        doc->PDFgoForward();
        QTRY_COMPARE(doc->myWindow()->windowTitle(), QString("Report.pdf (page 12 of 12)"));
        doc->PDFprevPage();
        QTRY_COMPARE(doc->myWindow()->windowTitle(), QString("Report.pdf (page 11 of 12)"));
    }

    void fileNameIsNoFormat()
    {
        // Placeholders in a file name are text: nothing may be put in their place.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("%1 notes%2.pdf"));
        QVERIFY(QFile::copy(fixture("Report.pdf"), path));
        auto doc = std::make_unique<MyDocument>(environment());
        QVERIFY(doc->readFromURL(path));
        doc->makeWindowControllers();
        QCOMPARE(doc->myWindow()->windowTitle(), QString("%1 notes%2.pdf (page 1 of 12)"));
    }

    void gotoSheet_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("selectedTitle");
        QTest::newRow("page label") << "Report.pdf"
                                    << "12" << 1 << 11 << "";
        QTest::newRow("page label with slash") << "Report.pdf"
                                               << "7/" << 1 << 6 << "";
        QTest::newRow("title path") << "Report.pdf"
                                    << "meth/analy" << 1 << 4 << "Analysis";
        QTest::newRow("title path wins over a page") << "Report.pdf"
                                                     << "results" << 1 << 7 << "Results";
        QTest::newRow("location") << "Report.pdf"
                                  << "9/@loc/72x/400y" << 1 << 8 << "";
        QTest::newRow("cancelled") << "Report.pdf"
                                   << "12" << 0 << 2 << "";
        QTest::newRow("shared label goes to the first") << "Labels.pdf"
                                                        << "iii" << 1 << 2 << "";
        QTest::newRow("roman label is exact, a title path is not") << "Labels.pdf"
                                                                   << "III" << 1 << 6 << "iii";
        QTest::newRow("arabic after roman") << "Labels.pdf"
                                            << "3" << 1 << 6 << "";
        QTest::newRow("page label wins over a title holding it") << "Labels.pdf"
                                                                 << "2" << 1 << 5 << "";
        QTest::newRow("page label wins over an equal title") << "Labels.pdf"
                                                             << "iii/" << 1 << 2 << "";
        QTest::newRow("title path below its parent") << "Labels.pdf"
                                                     << "body/2" << 1 << 7 << "2 Methods";
    }
    void gotoSheet()
    {
        QFETCH(QString, file);
        QFETCH(QString, typed);
        QFETCH(int, button);
        QFETCH(int, page);
        QFETCH(QString, selectedTitle);
        MyDocument* doc = open(file);
        QVERIFY(doc);
        QVERIFY(tolvo::test::waitForFirstPositioning(doc));
        doc->pdfview()->goToPage(2);
        doc->showGotoPDFPagePanel();
        GotoPageSheet* sheet = doc->gotoPDFPagePanel();
        QVERIFY(sheet && sheet->isVisible());
        QCOMPARE(sheet->windowModality(), Qt::WindowModal);
        doc->gotoPDFPageTextField()->setText(typed);
        QPushButton* press = buttonWithText(sheet, button == 1 ? "Go" : "Cancel");
        QVERIFY(press);
        press->click();
        QVERIFY(!sheet->isVisible());
        QTRY_COMPARE(doc->pdfview()->currentPage(), page);
        const QModelIndex current = doc->outlineview()->currentIndex();
        if (selectedTitle.isEmpty()) {
            QVERIFY(!current.isValid());
        } else {
            QCOMPARE(current.data().toString(), selectedTitle);
            QCOMPARE(doc->myWindow()->focusWidget(), doc->outlineview());
        }
    }

    void validPageLabels_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("valid");
        QTest::newRow("label") << "ii" << true;
        QTest::newRow("label and slash") << "ii/" << true;
        QTest::newRow("two slashes") << "ii//" << false;
        QTest::newRow("other case") << "II" << false;
        QTest::newRow("location") << "ii/@loc/10x/20y" << false;
        QTest::newRow("no such label") << "v" << false;
        QTest::newRow("empty") << "" << false;
    }
    void validPageLabels()
    {
        QFETCH(QString, target);
        QFETCH(bool, valid);
        MyDocument* doc = open("Labels.pdf");
        QVERIFY(doc);
        QCOMPARE(doc->isValidPageLabel(target), valid);
    }

    void sharedLabelsMapBothWays()
    {
        MyDocument* doc = open("Labels.pdf");
        QVERIFY(doc);
        QCOMPARE(doc->pageForLabel("iii"), std::optional<int>(2));
        QCOMPARE(doc->pageLabel2pageIndex().value("iii"), 3);
        QCOMPARE(doc->pageForLabel("0"), std::nullopt);
    }

    void displayCheckMarks_data()
    {
        QTest::addColumn<QList<int>>("tags");
        QTest::addColumn<QList<int>>("checked");
        QTest::newRow("as opened") << QList<int> {} << QList<int> { 1002 };
        QTest::newRow("two-up then single") << QList<int> { 1003, 1001 } << QList<int> { 1001 };
        QTest::newRow("book and a mode") << QList<int> { 1004, 1000 } << QList<int> { 1000, 1004 };
        QTest::newRow("book twice") << QList<int> { 1000, 1000 } << QList<int> { 1002 };
    }
    void displayCheckMarks()
    {
        QFETCH(QList<int>, tags);
        QFETCH(QList<int>, checked);
        MyDocument* doc = open("Report.pdf");
        QVERIFY(doc);
        for (int tag : tags)
            doc->PDFDisplayChange(*displayCommandForTag(tag));
        for (QAction* item : doc->menus()->displayActions()) {
            QVERIFY(doc->validateMenuItem(item));
            QVERIFY(item->isEnabled());
            QCOMPARE(item->isChecked(), checked.contains(item->data().toInt()));
        }
    }

    void zoomCommands()
    {
        MyDocument* doc = open("Report.pdf");
        QVERIFY(doc);
        pageview::LabelPDFView* view = doc->pdfview();
        doc->PDFChangeZoom(ZoomCommand::ActualSize);
        QCOMPARE(view->scaleFactor(), 1.0);
        QVERIFY(!view->autoScales());
        doc->PDFChangeZoom(ZoomCommand::ZoomIn);
        QVERIFY(view->scaleFactor() > 1.0);
        doc->PDFChangeZoom(ZoomCommand::ZoomOut);
        doc->PDFChangeZoom(ZoomCommand::ZoomOut);
        QVERIFY(view->scaleFactor() < 1.0);
        doc->PDFChangeZoom(ZoomCommand::ZoomToFit);
        QVERIFY(view->autoScales());
        // The menu items carry the keys people expect.
        QCOMPARE(doc->menus()->actionFor(ZoomCommand::ActualSize)->shortcut(), QKeySequence("Ctrl+0"));
        QVERIFY(doc->menus()->actionFor(ZoomCommand::ZoomIn)->shortcuts().contains(QKeySequence(QKeySequence::ZoomIn)));
    }

    // The tags are the numbers the View menu's items have always carried: each stands for one
    // command whose menu item carries it, and a tag no item carries stands for nothing.
    void viewCommandTags_data()
    {
        QTest::addColumn<int>("tag");
        QTest::addColumn<bool>("display");
        QTest::addColumn<bool>("zoom");
        for (int tag : { 0, 400, 405, 999, 1005 })
            QTest::addRow("%d: none", tag) << tag << false << false;
        for (int tag = 1000; tag <= 1004; ++tag)
            QTest::addRow("%d: display", tag) << tag << true << false;
        for (int tag = 401; tag <= 404; ++tag)
            QTest::addRow("%d: zoom", tag) << tag << false << true;
    }
    void viewCommandTags()
    {
        QFETCH(int, tag);
        QFETCH(bool, display);
        QFETCH(bool, zoom);
        MyDocument* doc = open("Report.pdf");
        QVERIFY(doc);
        const std::optional<DisplayCommand> displayCommand = displayCommandForTag(tag);
        const std::optional<ZoomCommand> zoomCommand = zoomCommandForTag(tag);
        QCOMPARE(displayCommand.has_value(), display);
        QCOMPARE(zoomCommand.has_value(), zoom);
        QAction* item = displayCommand ? doc->menus()->actionFor(*displayCommand)
            : zoomCommand              ? doc->menus()->actionFor(*zoomCommand)
                                       : nullptr;
        QCOMPARE(item != nullptr, display || zoom);
        if (item) {
            QCOMPARE(item->data().toInt(), tag);
            QCOMPARE(displayCommandOf(item), displayCommand);
            QCOMPARE(zoomCommandOf(item), zoomCommand);
        }
    }

    // The outline and the labels are read in the background once the first page shows: the pane
    // fills without anyone asking, and a command that asks first gets the whole outline at once.
    void outlineReadInTheBackground()
    {
        MyDocument* doc = open("Report.pdf");
        QVERIFY(doc);
        QVERIFY(!doc->outlineview()->model());
        QTRY_VERIFY(doc->outlineview()->model());
        QCOMPARE(doc->outlineview()->model()->index(2, 0).data().toString(), QStringLiteral("Results"));

        MyDocument* asked = open("Report.pdf");
        QVERIFY(asked);
        QCOMPARE(asked->outline().outlinedata_array().size(), doc->outline().outlinedata_array().size());
        QVERIFY(asked->outlineview()->model());
        QCOMPARE(asked->pageForLabel(QStringLiteral("1")), doc->pageForLabel(QStringLiteral("1")));
    }

    void outlinePane()
    {
        MyDocument* doc = open("Report.pdf");
        QVERIFY(doc);
        QVERIFY(tolvo::test::waitForFirstPositioning(doc));
        TLNSOutlineView* view = doc->outlineview();
        OutlineModel* model = doc->treecontroller();
        QVERIFY(model);
        // Titles are not edited in place.
        QCOMPARE(view->editTriggers(), QAbstractItemView::NoEditTriggers);
        const QModelIndex results = model->index(2, 0);
        QCOMPARE(results.data().toString(), QString("Results"));
        view->setCurrentIndex(results);
        QTRY_COMPARE(doc->pdfview()->currentPage(), 7);
        // The entry's point (72, 756) stands at the top of the view, as a heading does.
        const pdf::Destination top = doc->pdfview()->currentDestination();
        QVERIFY(top.point && qAbs(top.point->y() - 756) < 2);

        const QModelIndex methods = model->index(1, 0);
        const QModelIndex analysis = model->index(1, 0, methods);
        doc->tocCommandControlClicked(1); // expand all
        QVERIFY(view->isExpanded(methods) && view->isExpanded(analysis));
        doc->tocCommandControlClicked(2); // level 1
        QVERIFY(view->isExpanded(methods) && !view->isExpanded(analysis));
        doc->TOCExpandLevel2();
        QVERIFY(view->isExpanded(methods) && view->isExpanded(analysis));
        doc->tocCommandControlClicked(0); // collapse all
        QVERIFY(!view->isExpanded(methods) && !view->isExpanded(analysis));
        // Segment 5 hides the TOC pane.
        doc->tocCommandControlClicked(5);
        QTRY_COMPARE(doc->mainSplitView()->paneLength(1), 0);
    }

    void unreadableFileAlerts()
    {
        QString message, informative;
        QStringList buttons;
        whenModalShows<QMessageBox>([&](QMessageBox* box) {
            message = box->text();
            informative = box->informativeText();
            for (QAbstractButton* b : box->buttons())
                buttons.append(b->text());
            QCOMPARE(box->icon(), QMessageBox::Warning);
            buttonWithText(box, "Open Containing Folder")->click();
        });
        auto doc = std::make_unique<MyDocument>(environment());
        QVERIFY(!doc->readFromURL(fixture("NotAPdf.pdf")));
        QCOMPARE(message, QString("Error opening PDF"));
        QCOMPARE(informative,
            QString("Tolvo could not open the PDF \"NotAPdf.pdf\" located at \"%1\"").arg(fixture("NotAPdf.pdf")));
        QCOMPARE(buttons, QStringList({ "OK", "Open Containing Folder" }));
        QCOMPARE(m_revealed, QStringList { fixture("NotAPdf.pdf") });
        QVERIFY(!doc->pdfdoc());
    }

    // The PDF named on the command line is opened while Qt starts; the window takes it, and
    // a window for another file leaves it alone.
    void openedAheadServesItsFileOnly_data()
    {
        QTest::addColumn<QString>("ahead");
        QTest::newRow("same file") << "Report.pdf";
        QTest::newRow("another file") << "Labels.pdf";
    }
    void openedAheadServesItsFileOnly()
    {
        QFETCH(QString, ahead);
        OpenAhead opening(fixture(ahead));
        MyDocument* doc = open("Report.pdf");
        QVERIFY(doc);
        QCOMPARE(doc->pdfdoc()->pageCount(), 12);
        QVERIFY(QTest::qWaitFor([doc] { return doc->pdfview()->visiblePagesReady(); }, 10000));
        std::optional<OpenedAhead> left = takeOpenedAhead(fixture(ahead));
        QCOMPARE(left.has_value(), ahead != QLatin1String("Report.pdf"));
        if (left) {
            QVERIFY(left->result.document);
            QCOMPARE(left->result.document->pageCount(), left->spareCopy()->pageCount());
        }
    }

    void missingFileAnswersQuietly()
    {
        auto doc = std::make_unique<MyDocument>(environment());
        QVERIFY(!doc->readFromURL(fixture("gone.pdf")));
        QVERIFY(!QApplication::activeModalWidget());
        // A document that holds its PDF keeps it when the file has gone.
        QTemporaryDir dir;
        const QString copy = dir.filePath("copy.pdf");
        QVERIFY(QFile::copy(fixture("Report.pdf"), copy));
        QVERIFY(doc->readFromURL(copy));
        QVERIFY(QFile::remove(copy));
        QVERIFY(doc->readFromURL(copy));
        QCOMPARE(doc->pdfdoc()->pageCount(), 12);
    }

    void notesAreSharedByWindows()
    {
        MyDocument* one = open("Report.pdf");
        MyDocument* two = open("Labels.pdf");
        QVERIFY(one && two);
        one->notesArea2();
        QTextEdit* typing = one->selectedTextView();
        typing->clear();
        QTest::keyClicks(typing, "Compare with Labels");
        two->notesArea2();
        QCOMPARE(two->selectedTextView()->toPlainText(), QString("Compare with Labels"));
        QVERIFY(m_store.notes->flush());
        QTextDocument stored;
        stored.setHtml(notesfiles::read(notesfiles::filePath(m_store.notesFolder(), 1)).html);
        QCOMPARE(stored.toPlainText(), QString("Compare with Labels"));
    }

    void selectedTabCarriesToNewWindow()
    {
        MyDocument* one = open("Report.pdf");
        QVERIFY(one);
        one->myWindow()->findChild<QTabWidget*>("tabview")->setCurrentIndex(3); // a click on tab "4"
        MyDocument* two = open("Labels.pdf");
        QVERIFY(two);
        QCOMPARE(two->tabviewselectedlabel(), QString("4"));
        QCOMPARE(two->selectedTextView(), two->myWindow()->findChild<QTextEdit*>("textview4"));
        QCOMPARE(two->myWindow()->focusWidget(), two->myWindow()->findChild<QTextEdit*>("textview4"));
        QCOMPARE(one->tabviewselectedlabel(), QString("4"));
    }

    void opmlExport_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<QString>("typedName");
        QTest::addColumn<QString>("declaration");
        QTest::newRow("style 0") << 0 << "toc"
                                 << "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>";
        QTest::newRow("style 1") << 1 << "toc.opml"
                                 << "<?xml version=\"1.0\" encoding=\"utf-8\"?>";
        QTest::newRow("style 2, other extension") << 2 << "toc.txt"
                                                  << "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>";
    }
    void opmlExport()
    {
        QFETCH(int, style);
        QFETCH(QString, typedName);
        QFETCH(QString, declaration);
        MyDocument* doc = open("Report.pdf");
        QVERIFY(doc);
        QTemporaryDir dir;
        doc->exportAsOPML();
        auto* dialog = doc->myWindow()->findChild<OpmlSaveDialog*>();
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(dialog->opmlSaveComboBox()->count(), 3);
        QCOMPARE(dialog->opmlSaveComboBox()->currentIndex(), 0);
        QCOMPARE(dialog->opmlSaveAccessoryView()->isVisible(), true);
        dialog->opmlSaveComboBox()->setCurrentIndex(style);
        dialog->setDirectory(dir.path());
        dialog->selectFile(dir.filePath(typedName));
        static_cast<QDialog*>(dialog)->accept();
        const QString written = withOpmlExtension(dir.filePath(typedName));
        QTRY_VERIFY(QFile::exists(written));
        QFile file(written);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        QVERIFY(text.startsWith(declaration + "\n"));
        QVERIFY(text.contains("Regression Models"));
        QVERIFY(text.contains("tolvo://" + doc->prefix()));
    }

    void opmlExportCancelledWritesNothing()
    {
        MyDocument* doc = open("Report.pdf");
        QVERIFY(doc);
        QTemporaryDir dir;
        doc->exportAsOPML();
        auto* dialog = doc->myWindow()->findChild<OpmlSaveDialog*>();
        QVERIFY(dialog);
        dialog->setDirectory(dir.path());
        dialog->selectFile(dir.filePath("never"));
        static_cast<QDialog*>(dialog)->reject();
        QCoreApplication::processEvents();
        QVERIFY(QDir(dir.path()).entryList(QDir::Files).isEmpty());
    }

    void prefixSheet_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("expected");
        QTest::newRow("words") << "My Notes" << 1 << "My.Notes/";
        QTest::newRow("folders") << "a/b" << 1 << "a/b/";
        QTest::newRow("cancelled") << "Other" << 0 << "";
        QTest::newRow("nothing usable keeps the prefix") << "!!!" << 1 << "";
    }
    void prefixSheet()
    {
        QFETCH(QString, typed);
        QFETCH(int, button);
        QFETCH(QString, expected);
        MyDocument* doc = open("Report.pdf");
        QVERIFY(doc);
        const QString before = doc->prefix();
        doc->configurePrefix();
        PrefixSheet* sheet = doc->prefixWindow();
        QVERIFY(sheet && sheet->isVisible());
        QCOMPARE(sheet->prefixText()->text(), before);
        QVERIFY(sheet->prefixPathControl()->text().endsWith("Report.pdf"));
        sheet->prefixText()->setText(typed);
        doc->endPrefixSheet(button);
        QVERIFY(!sheet->isVisible());
        const QString now = expected.isEmpty() ? before : expected;
        QCOMPARE(doc->prefix(), now);
        QCOMPARE(doc->pdfview()->prefix(), now);
        if (!expected.isEmpty()) {
            QVERIFY(!doc->shouldConfirmPrefix());
            Defaults fresh(m_store.path());
            registerTolvoDefaults(fresh);
            QVERIFY(fresh.dictionaryForKey("routingDictionarySandboxed").contains(expected));
        }
    }

    void keepOnTop()
    {
        MyDocument* doc = open("Report.pdf");
        QVERIFY(doc);
        doc->myWindow()->findChild<QAction*>("keepWindowOnTop")->trigger();
        QCOMPARE(doc->windowLevel(), 25);
        QVERIFY(doc->myWindow()->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(doc->myWindow()->isVisible());
        doc->keepWindowOnTopFired(false);
        QCOMPARE(doc->windowLevel(), 0);
        QVERIFY(!(doc->myWindow()->windowFlags() & Qt::WindowStaysOnTopHint));
        QVERIFY(!doc->myWindow()->findChild<QAction*>("keepWindowOnTop")->isChecked());
    }

    void userFont_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("applied");
        QTest::newRow("installed font") << "DejaVu Serif" << true;
        QTest::newRow("no such font") << "No Such Font 42" << false;
    }
    void userFont()
    {
        QFETCH(QString, name);
        QFETCH(bool, applied);
        m_store.defaults->setValue("kUDKeyFontNameForRichTextCopiedFromPDF", name);
        m_store.defaults->setValue("kUDKeyFontSizeForRichTextCopiedFromPDF", 14.5);
        MyDocument doc(environment());
        RichText text("see ");
        text.append(
            "tolvo://ab/iv/", TextAttributes { QString("tolvo://ab/iv/"), kLinkBlue, false, FontSpec { "Other", 9 } });
        const RichText before = text;
        doc.applyUserPreferredFontToMutableAttributedString(text);
        if (!applied) {
            QCOMPARE(text, before);
            return;
        }
        QCOMPARE(text.toPlainText(), before.toPlainText());
        for (const TextRun& run : text.runs())
            QCOMPARE(run.attributes.font, std::optional<FontSpec>(FontSpec { name, 14.5 }));
        // The link stays a link.
        QCOMPARE(text.runs().last().attributes.link, std::optional<QString>("tolvo://ab/iv/"));
    }

    void clearFormattingOfNotes()
    {
        MyDocument* doc = open("Report.pdf");
        QVERIFY(doc);
        QTextEdit* view = doc->selectedTextView();
        view->setHtml("<b>bold</b> <a href=\"tolvo://x/1/\">link</a>");
        view->selectAll();
        doc->clearSelectedTextFormatting();
        QTextCursor at(view->document());
        at.setPosition(2);
        QVERIFY(at.charFormat().fontWeight() < QFont::Bold);
        at.setPosition(7);
        QVERIFY(at.charFormat().anchorHref().isEmpty());
        QCOMPARE(view->toPlainText(), QString("bold link"));
    }

    void controllerOpensOnceAndFreesOnClose()
    {
        DocumentController controller(environment());
        MyDocument* report = controller.openDocument(fixture("Report.pdf"));
        MyDocument* labels = controller.openDocument(fixture("Labels.pdf"));
        QVERIFY(report && labels);
        QCOMPARE(controller.openDocument(fixture("../docwin/Report.pdf")), report);
        QCOMPARE(controller.documents(), (QList<MyDocument*> { report, labels }));
        // Two temporary prefixes never coincide.
        QVERIFY(report->prefix() != labels->prefix());
        QCOMPARE(controller.prefixesInUse(report), QSet<QString> { labels->prefix() });

        QPointer<MyDocument> closing(report);
        QSignalSpy closed(&controller, &DocumentController::documentClosed);
        report->close();
        QCOMPARE(closed.count(), 1);
        QCOMPARE(controller.documents(), QList<MyDocument*> { labels });
        QTRY_VERIFY(closing.isNull());

        // A missing file is reported and opens nothing.
        bool alerted = false;
        whenModalShows<QMessageBox>([&](QMessageBox* box) {
            alerted = box->text().contains("gone.pdf");
            box->accept();
        });
        QVERIFY(!controller.openDocument(fixture("gone.pdf")));
        QVERIFY(alerted);
        QCOMPARE(controller.documents().size(), 1);
    }
};

QTEST_MAIN(TestMyDocument)
#include "test_mydocument.moc"
