// SPDX-License-Identifier: GPL-3.0-or-later
// The reader's window around the pages: the password of an encrypted PDF, the place a PDF was
// left, Open Recent, night mode, printing, full screen, PDFs dropped on the window, the About box.
#include "app/AboutBox.h"
#include "document/DocumentController.h"
#include "document/DocumentWindow.h"
#include "document/FullScreen.h"
#include "document/MyDocument.h"
#include "document/NightMode.h"
#include "document/PasswordPrompt.h"
#include "document/PrintDocument.h"
#include "document/RecentFiles.h"
#include "document/RememberedPlaces.h"
#include "pageview/LabelPDFView.h"
#include "pdf/PdfDocument.h"
#include "pdf/PopplerVersion.h"
#include "render/NightMode.h"
#include "settings/PlaceMemory.h"
#include "settings/Version.h"
#include "support/EncryptedPdf.h"
#include "support/ScratchStore.h"
#include "support/WindowWaits.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPrinter>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

using namespace tolvo;

namespace {

QString fixture(const QString& name)
{
    return qEnvironmentVariable("TOLVO_FIXTURES") + QStringLiteral("/docwin/") + name;
}

} // namespace

class TestReaderWindow : public QObject {
    Q_OBJECT

    test::ScratchStore m_store;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<PlaceMemory> m_places;
    std::unique_ptr<DocumentController> m_controller;
    QStringList m_answers; // the passwords the question gets, in turn; then it is cancelled
    QList<bool> m_askedWrong; // lastWasWrong of each question asked
    int m_alerts = 0;
    QTimer m_alertWatch;

    DocumentEnvironment environment()
    {
        DocumentEnvironment env = m_store.environment();
        env.places = m_places.get();
        env.askPassword = [this](const QString&, bool lastWasWrong) -> std::optional<QString> {
            m_askedWrong << lastWasWrong;
            if (m_answers.isEmpty())
                return std::nullopt;
            return m_answers.takeFirst();
        };
        return env;
    }

    MyDocument* open(const QString& path)
    {
        MyDocument* document = m_controller->openDocument(path);
        if (document && !test::waitForFirstPositioning(document))
            return nullptr;
        return document;
    }

    void closeAll()
    {
        for (MyDocument* document : m_controller->documents())
            document->close();
        QTRY_VERIFY(m_controller->documents().isEmpty());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QString copyOf(const QString& name, const QString& as)
    {
        const QString target = m_dir->filePath(as);
        QFile::remove(target);
        return QFile::copy(fixture(name), target) ? target : QString();
    }

private slots:
    void initTestCase()
    {
        m_store.useAsConfigHome();
        // An alert would wait for a click that never comes: count it and close it.
        m_alertWatch.setInterval(20);
        connect(&m_alertWatch, &QTimer::timeout, this, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                ++m_alerts;
                box->reject();
            }
        });
        m_alertWatch.start();
    }

    void init()
    {
        m_store.renew();
        m_dir = std::make_unique<QTemporaryDir>();
        m_places = std::make_unique<PlaceMemory>(m_dir->filePath(QStringLiteral("places.json")));
        m_controller = std::make_unique<DocumentController>(environment());
        m_answers.clear();
        m_askedWrong.clear();
        m_alerts = 0;
    }

    void cleanup()
    {
        closeAll();
        m_controller.reset();
        m_places.reset();
    }

    // ---- Passwords ---------------------------------------------------------------

    void password_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<QList<bool>>("askedWrong");
        QTest::newRow("right at once") << "secret" << QStringList { "secret" } << true << QList<bool> { false };
        QTest::newRow("wrong, then right")
            << "secret" << QStringList { "guess", "secret" } << true << QList<bool> { false, true };
        QTest::newRow("the owner's password opens it too")
            << "secret" << QStringList { "boss" } << true << QList<bool> { false };
        QTest::newRow("cancel at once") << "secret" << QStringList {} << false << QList<bool> { false };
        QTest::newRow("wrong twice, then cancel")
            << "secret" << QStringList { "a", "b" } << false << QList<bool> { false, true, true };
        QTest::newRow("a password beyond ASCII")
            << "pässwörd" << QStringList { "pässwörd" } << true << QList<bool> { false };
        QTest::newRow("only an owner password: no question") << "" << QStringList {} << true << QList<bool> {};
    }
    void password()
    {
        QFETCH(QString, user);
        QFETCH(QStringList, answers);
        QFETCH(bool, opens);
        QFETCH(QList<bool>, askedWrong);
        const QString locked = m_dir->filePath(QStringLiteral("Locked.pdf"));
        QVERIFY2(test::encryptPdf(fixture("Report.pdf"), locked, user, "boss"), "qpdf could not encrypt");
        m_answers = answers;
        MyDocument* document = open(locked);
        QCOMPARE(document != nullptr, opens);
        QCOMPARE(m_askedWrong, askedWrong);
        // Cancel closes quietly: no "Error opening PDF".
        QCOMPARE(m_alerts, 0);
        if (opens) {
            QCOMPARE(document->pdfdoc()->pageCount(), 12);
            // The pages are drawn by workers over their own copies, which need the password too.
            QTRY_VERIFY(document->pdfview()->visiblePagesReady());
            QVERIFY(document->pdfview()->cachedBytes() > 0);
        }
    }

    void passwordPromptSaysWhenTheLastWasWrong_data()
    {
        QTest::addColumn<bool>("wrong");
        QTest::newRow("first question") << false;
        QTest::newRow("after a wrong password") << true;
    }
    void passwordPromptSaysWhenTheLastWasWrong()
    {
        QFETCH(bool, wrong);
        PasswordPrompt prompt("/tmp/Locked.pdf", wrong);
        prompt.show();
        QVERIFY(QTest::qWaitForWindowExposed(&prompt));
        QCOMPARE(prompt.findChild<QLabel*>("wrongPassword")->isVisible(), wrong);
        bool asks = false;
        for (QLabel* label : prompt.findChildren<QLabel*>())
            asks = asks || label->text() == QLatin1String(PasswordPrompt::kMessage);
        QVERIFY(asks);
        QTest::keyClicks(prompt.passwordField(), "s3cr3t");
        QCOMPARE(prompt.password(), QStringLiteral("s3cr3t"));
        QCOMPARE(prompt.passwordField()->echoMode(), QLineEdit::Password);
    }

    // ---- The remembered place -------------------------------------------------------

    void placeIsRememberedAcrossWindows()
    {
        const QString path = copyOf("Report.pdf", "Report.pdf");
        MyDocument* first = open(path);
        QVERIFY(first);
        QCOMPARE(first->pdfview()->currentPage(), 0);
        first->PDFDisplayChange(DisplayCommand::SinglePage);
        first->pdfview()->setScaleFactor(1.5);
        first->pdfview()->goToPage(6);
        first->myWindow()->resize(700, 520);
        QCOMPARE(first->pdfview()->currentPage(), 6);
        closeAll();

        // The same PDF under another name and folder is the same document.
        QDir().mkpath(m_dir->filePath("moved"));
        QVERIFY(QFile::rename(path, m_dir->filePath("moved/Renamed.pdf")));
        MyDocument* again = open(m_dir->filePath("moved/Renamed.pdf"));
        QVERIFY(again);
        QCOMPARE(again->pdfview()->currentPage(), 6);
        QCOMPARE(again->pdfview()->displayMode(), pageview::DisplayMode::SinglePage);
        QVERIFY(!again->pdfview()->autoScales());
        QCOMPARE(again->pdfview()->scaleFactor(), 1.5);
        QCOMPARE(again->myWindow()->size(), QSize(700, 520));
        // Going back does not lead to the first page: where a window opens is no place to return to.
        QVERIFY(!again->pdfview()->canGoBack());
    }

    void targetAfterOpeningWins()
    {
        const QString path = copyOf("Report.pdf", "Report.pdf");
        MyDocument* first = open(path);
        first->pdfview()->goToPage(8);
        closeAll();
        // A link's target is followed once the window has arrived at its remembered place.
        MyDocument* again = m_controller->openDocument(path);
        QSignalSpy arrived(again, &MyDocument::firstPositioningDone);
        QVERIFY(arrived.wait());
        QCOMPARE(again->pdfview()->currentPage(), 8);
        again->gotoString("3");
        QCOMPARE(again->pdfview()->currentPage(), 2);
    }

    void withoutMemoryTheFirstPage()
    {
        m_places.reset();
        m_controller = std::make_unique<DocumentController>(environment());
        MyDocument* first = open(fixture("Report.pdf"));
        first->pdfview()->goToPage(5);
        closeAll();
        QCOMPARE(open(fixture("Report.pdf"))->pdfview()->currentPage(), 0);
    }

    void placeMemoryKeepsTheLastThousand()
    {
        PlaceMemory memory(m_dir->filePath("many.json"));
        RememberedPlace place;
        for (int i = 0; i < PlaceMemory::kMaxPlaces + 5; ++i) {
            place.pageIndex = i;
            QVERIFY(memory.remember(QStringLiteral("id:%1").arg(i), QStringLiteral("/f%1.pdf").arg(i), place));
        }
        for (int i = 0; i < 5; ++i)
            QVERIFY(!memory.place(QStringLiteral("id:%1").arg(i)));
        QCOMPARE(memory.place("id:5")->pageIndex, 5);
        // Remembering an old one again makes it the newest: the next drop takes another.
        place.pageIndex = 77;
        QVERIFY(memory.remember("id:5", "/f5.pdf", place));
        place.pageIndex = 1;
        QVERIFY(memory.remember("id:new", "/new.pdf", place));
        QCOMPARE(memory.place("id:5")->pageIndex, 77);
        QVERIFY(!memory.place("id:6"));
    }

    void damagedMemoryIsKeptAside()
    {
        const QString file = m_dir->filePath("damaged.json");
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write("{ not json");
        out.close();
        PlaceMemory memory(file);
        QVERIFY(!memory.place("id:1"));
        QVERIFY(memory.problem().contains("damaged"));
        QCOMPARE(QDir(m_dir->path()).entryList({ "damaged.json.damaged-*" }).size(), 1);
        QVERIFY(memory.remember("id:1", "/a.pdf", RememberedPlace {}));
        QVERIFY(memory.place("id:1"));
    }

    // ---- Open Recent ---------------------------------------------------------------

    void recentFiles_data()
    {
        QTest::addColumn<int>("opened");
        QTest::addColumn<int>("listed");
        QTest::newRow("three") << 3 << 3;
        QTest::newRow("fifteen") << 15 << 15;
        QTest::newRow("twenty keep the last fifteen") << 20 << 15;
    }
    void recentFiles()
    {
        QFETCH(int, opened);
        QFETCH(int, listed);
        PlaceMemory memory(m_dir->filePath("recent.json"));
        for (int i = 0; i < opened; ++i)
            QVERIFY(memory.addRecentFile(QStringLiteral("/f%1.pdf").arg(i)));
        // Opening one again moves it to the top, once.
        QVERIFY(memory.addRecentFile(QStringLiteral("/f%1.pdf").arg(opened - 2)));
        const QStringList files = memory.recentFiles();
        QCOMPARE(files.size(), listed);
        QCOMPARE(files.first(), QStringLiteral("/f%1.pdf").arg(opened - 2));
        QCOMPARE(files.value(1), QStringLiteral("/f%1.pdf").arg(opened - 1));
        QCOMPARE(files.count(files.first()), 1);
    }

    // A PDF goes in the recent list once its window has shown it, or when the window closes first;
    // once either way.
    void recentOnceShownOrClosed_data()
    {
        QTest::addColumn<bool>("waitForShown");
        QTest::newRow("shown") << true;
        QTest::newRow("closed before it showed") << false;
    }
    void recentOnceShownOrClosed()
    {
        QFETCH(bool, waitForShown);
        const QString path = copyOf("Report.pdf", "Report.pdf");
        MyDocument* document = m_controller->openDocument(path);
        QVERIFY(document);
        QSignalSpy noted(document, &MyDocument::recentlyOpened);
        if (waitForShown) {
            QVERIFY(noted.wait());
            QCOMPARE(m_places->recentFiles(), QStringList { path });
        } else {
            QVERIFY(m_places->recentFiles().isEmpty());
        }
        closeAll();
        QCOMPARE(noted.size(), 1);
        QCOMPARE(m_places->recentFiles(), QStringList { path });
    }

    void openRecentMenu()
    {
        const QString report = copyOf("Report.pdf", "Report.pdf");
        const QString gone = copyOf("NoOutline.pdf", "Gone.pdf");
        MyDocument* document = open(report);
        QVERIFY(open(gone));
        closeAll();
        QVERIFY(QFile::remove(gone));
        QStringList opened;
        RecentFilesMenu menu(*m_places, [&opened](const QString& path) { opened << path; });
        menu.rebuild();
        QList<QAction*> items = menu.actions();
        // Newest first; a file that is gone shows disabled.
        QCOMPARE(items.value(0)->data().toString(), gone);
        QVERIFY(!items.value(0)->isEnabled());
        QCOMPARE(items.value(1)->data().toString(), report);
        QVERIFY(items.value(1)->isEnabled());
        items.value(1)->trigger();
        QCOMPARE(opened, QStringList { report });
        QAction* clear = menu.findChild<QAction*>("clearRecentFiles");
        QVERIFY(clear && clear->isEnabled());
        clear->trigger();
        QVERIFY(m_places->recentFiles().isEmpty());
        // The places stay: Clear Menu empties the menu only.
        QVERIFY(m_places->place(RememberedPlaces::identityOf(report)));
        Q_UNUSED(document);
    }

    // ---- Night mode ---------------------------------------------------------------

    void nightColour_data()
    {
        QTest::addColumn<QColor>("day");
        QTest::newRow("white") << QColor(255, 255, 255);
        QTest::newRow("black") << QColor(0, 0, 0);
        QTest::newRow("pure red") << QColor(255, 0, 0);
        QTest::newRow("dark blue") << QColor(0, 0, 128);
        QTest::newRow("pale yellow") << QColor(250, 240, 180);
        QTest::newRow("mid grey") << QColor(128, 128, 128);
        QTest::newRow("dark green") << QColor(20, 90, 40);
    }
    void nightColour()
    {
        QFETCH(QColor, day);
        const QColor night = QColor::fromRgba(tolvo::nightColour(day.rgba()));
        // Lightness turned over, hue and saturation kept (to the rounding of 8-bit channels).
        QVERIFY2(std::abs(night.lightness() - (255 - day.lightness())) <= 1,
            qPrintable(QStringLiteral("lightness %1 for %2").arg(night.lightness()).arg(day.lightness())));
        if (day.hslSaturation() > 0) {
            QCOMPARE(night.hslHue(), day.hslHue());
            QVERIFY(std::abs(night.hslSaturation() - day.hslSaturation()) <= 2);
        }
        // Twice gives the colour back.
        QCOMPARE(tolvo::nightColour(night.rgba()), day.rgba());
        // Not a plain inversion, which would turn the hue around (red to cyan).
        if (day == QColor(255, 0, 0))
            QCOMPARE(night, QColor(255, 0, 0));
    }

    void nightModeDrawsDarkPagesAndIsRemembered()
    {
        MyDocument* document = open(fixture("Report.pdf"));
        pageview::LabelPDFView* view = document->pdfview();
        QTRY_VERIFY(view->visiblePagesReady());
        const QRectF page = view->pageRectInView(view->currentPage());
        // Beside the text, in the page's top margin.
        const QPoint margin = (page.topLeft() + QPointF(page.width() * 0.9, 6)).toPoint();
        auto pixel = [view, margin] { return view->viewport()->grab().toImage().pixelColor(margin); };
        QCOMPARE(pixel().lightness(), 255);
        document->nightMode()->action()->trigger();
        QVERIFY(view->nightMode());
        QTRY_VERIFY(view->visiblePagesReady());
        QTRY_COMPARE(pixel().lightness(), 0);
        QVERIFY(m_store.defaults->boolForKey(QString::fromLatin1(keys::kNightMode)));
        // A window opened later reads the choice.
        MyDocument* other = open(fixture("NoOutline.pdf"));
        QVERIFY(other->pdfview()->nightMode());
        QVERIFY(other->nightMode()->action()->isChecked());
        // Turning it off in one window turns it off in the other.
        other->nightMode()->action()->trigger();
        QVERIFY(!view->nightMode());
    }

    // Keeping images is a choice within night mode: offered only there, remembered and shared
    // like night mode itself.
    void keepingImagesIsAChoiceWithinNightMode()
    {
        MyDocument* document = open(fixture("Report.pdf"));
        pageview::LabelPDFView* view = document->pdfview();
        QAction* night = document->nightMode()->action();
        QAction* keep = document->nightMode()->keepImagesAction();
        QVERIFY(!view->nightKeepsImages());
        QVERIFY(!keep->isChecked());
        QVERIFY(!keep->isEnabled());
        // The menu's check before it shows leaves it as night mode has it.
        document->validateMenuItem(keep);
        QVERIFY(!keep->isEnabled());
        night->trigger();
        QVERIFY(keep->isEnabled());
        document->validateMenuItem(keep);
        QVERIFY(keep->isEnabled());
        keep->trigger();
        QCOMPARE(view->pageStyle(), PageStyle::NightKeepingImages);
        QVERIFY(m_store.defaults->boolForKey(QString::fromLatin1(keys::kNightModeKeepsImages)));
        MyDocument* other = open(fixture("NoOutline.pdf"));
        QVERIFY(other->nightMode()->keepImagesAction()->isChecked());
        QCOMPARE(other->pdfview()->pageStyle(), PageStyle::NightKeepingImages);
        // Night mode off: the choice stays for the next night.
        night->trigger();
        QVERIFY(!keep->isEnabled());
        QVERIFY(keep->isChecked());
        QCOMPARE(other->pdfview()->pageStyle(), PageStyle::Day);
        other->nightMode()->keepImagesAction()->setChecked(false);
        QVERIFY(!view->nightKeepsImages());
    }

    // ---- Printing ------------------------------------------------------------------

    void print_data()
    {
        QTest::addColumn<int>("range"); // QPrinter::PrintRange
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("pages");
        QTest::newRow("all pages") << int(QPrinter::AllPages) << 0 << 0 << 12;
        QTest::newRow("pages 2 to 4") << int(QPrinter::PageRange) << 2 << 4 << 3;
        QTest::newRow("the last page") << int(QPrinter::PageRange) << 12 << 12 << 1;
        QTest::newRow("a range past the end") << int(QPrinter::PageRange) << 11 << 40 << 2;
        QTest::newRow("the current page") << int(QPrinter::CurrentPage) << 0 << 0 << 1;
    }
    void print()
    {
        QFETCH(int, range);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(int, pages);
        const pdf::OpenResult opened = pdf::openDocument(fixture("Report.pdf"));
        QVERIFY(opened.document);
        const QString output = m_dir->filePath("printed.pdf");
        {
            QPrinter printer(QPrinter::ScreenResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(output);
            printer.setPrintRange(QPrinter::PrintRange(range));
            if (range == QPrinter::PageRange)
                printer.setFromTo(from, to);
            const QList<int> chosen = pagesToPrint(printer, opened.document->pageCount(), 5);
            QCOMPARE(chosen.size(), pages);
            if (range == QPrinter::CurrentPage)
                QCOMPARE(chosen, QList<int> { 5 });
            QVERIFY(printPages(*opened.document, chosen, printer));
        }
        const pdf::OpenResult printed = pdf::openDocument(output);
        QVERIFY2(printed.document, qPrintable(printed.error));
        QCOMPARE(printed.document->pageCount(), pages);
        // The page carries the printed page's text, drawn: it is an image, not blank.
        const QImage image = printed.document->render(0, 0.5);
        QVERIFY(!image.isNull());
        int dark = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                dark += qGray(image.pixel(x, y)) < 128;
        QVERIFY(dark > 20);
    }

    // ---- Full screen ---------------------------------------------------------------

    void fullScreen_data()
    {
        QTest::addColumn<bool>("maximized");
        QTest::addColumn<bool>("escape"); // leave with Esc, else with F11 again
        QTest::newRow("normal window, Esc") << false << true;
        QTest::newRow("normal window, F11") << false << false;
        QTest::newRow("maximized window, Esc") << true << true;
    }
    void fullScreen()
    {
        QFETCH(bool, maximized);
        QFETCH(bool, escape);
        MyDocument* document = open(fixture("Report.pdf"));
        DocumentWindow* window = document->myWindow();
        if (maximized) {
            window->showMaximized();
            QTRY_VERIFY(window->isMaximized());
            QTRY_COMPARE(window->frameGeometry(), window->screen()->availableGeometry());
        }
        const QRect before = window->geometry();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::keyClick(window, Qt::Key_F11);
        QTRY_VERIFY(window->isFullScreen());
        QVERIFY(document->fullScreen()->action()->isChecked());
        if (escape)
            QTest::keyClick(window, Qt::Key_Escape);
        else
            QTest::keyClick(window, Qt::Key_F11);
        QTRY_VERIFY(!window->isFullScreen());
        QCOMPARE(window->isMaximized(), maximized);
        QTRY_COMPARE(window->geometry(), before);
        QVERIFY(!document->fullScreen()->action()->isChecked());
    }

    // ---- Drops ---------------------------------------------------------------------

    void drop_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<int>("documents");
        QTest::newRow("one PDF") << QStringList { "NoOutline.pdf" } << 2;
        QTest::newRow("two PDFs") << QStringList { "NoOutline.pdf", "Labels.pdf" } << 3;
        QTest::newRow("the open PDF again") << QStringList { "Report.pdf" } << 1;
        QTest::newRow("a text file") << QStringList { "plain.txt" } << 1;
    }
    void drop()
    {
        QFETCH(QStringList, files);
        QFETCH(int, documents);
        MyDocument* document = open(fixture("Report.pdf"));
        QFile text(m_dir->filePath("plain.txt"));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("not a PDF\n");
        text.close();
        QList<QUrl> urls;
        for (const QString& name : files)
            urls << QUrl::fromLocalFile(name.endsWith(".txt") ? text.fileName() : fixture(name));
        QMimeData data;
        data.setUrls(urls);
        DocumentWindow* window = document->myWindow();
        const QPoint centre = window->rect().center();
        QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window, &enter);
        QCOMPARE(enter.isAccepted(), documents > 1 || files.first().endsWith(".pdf"));
        QDropEvent drop(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window, &drop);
        QTRY_COMPARE(m_controller->documents().size(), documents);
        QCoreApplication::processEvents();
        QCOMPARE(m_controller->documents().size(), documents);
    }

    // ---- About ---------------------------------------------------------------------

    void aboutNamesVersionsAndLicence()
    {
        const QString text = aboutText();
        for (const QString& part : { tolvoVersion(), QStringLiteral("GPL-3.0-or-later"),
                 QString::fromLatin1(qVersion()), pdf::popplerVersion() })
            QVERIFY2(text.contains(part), qPrintable(part));
        QVERIFY(!pdf::popplerVersion().isEmpty());
    }
};

QTEST_MAIN(TestReaderWindow)
#include "test_reader_window.moc"
