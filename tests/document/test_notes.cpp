// SPDX-License-Identifier: GPL-3.0-or-later
// The shared notes areas: one text in every window, kept in the defaults store,
// other processes' changes taken in, the selected tab remembered, clipboard inserts, links followed.
#include "document/MyDocument.h"
#include "document/NotesBinding.h"
#include "document/NotesFormatBar.h"
#include "document/NotesPane.h"
#include "document/NotesStore.h"
#include "document/NotesTextView.h"
#include "links/RichText.h"
#include "links/RtfWriter.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"
#include "settings/NotesFiles.h"
#include "support/NotesWindow.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextEdit>
#include <QToolTip>
#include <QtTest>

using namespace tolvo;
using tolvo::test::NotesWindow;

namespace {

void typeAt(QTextEdit* view, int position, const QString& text)
{
    QTextCursor cursor(view->document());
    cursor.setPosition(position);
    cursor.insertText(text);
}

} // namespace

class TestNotes : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath("defaults.json"); }
    QString notesFolder() const { return m_dir.filePath("notes"); }
    // The plain text of an area's file, as another process would read it.
    QString storedText(int area) const
    {
        QTextDocument stored;
        stored.setHtml(notesfiles::read(notesfiles::filePath(notesFolder(), area)).html);
        return stored.toPlainText();
    }
    std::unique_ptr<Defaults> freshDefaults() const
    {
        auto d = std::make_unique<Defaults>(path());
        registerTolvoDefaults(*d);
        return d;
    }

    // The pane on screen, so that clicks and hovers reach its views.
    static bool showOnScreen(NotesWindow& window)
    {
        window.pane.resize(500, 300);
        window.pane.show();
        return QTest::qWaitForWindowExposed(&window.pane);
    }
    // Where the character at position stands in view, nudged into it.
    static QPoint pointAt(QTextEdit* view, int position, QPoint nudge = {})
    {
        QTextCursor at(view->document());
        at.setPosition(position);
        return view->cursorRect(at).center() + nudge;
    }

private slots:
    void init()
    {
        QFile::remove(path());
        QDir(notesFolder()).removeRecursively();
    }

    void cursorMapping_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("expected");
        QTest::newRow("edit after the cursor") << "abc def"
                                               << "abc defX" << 2 << 2;
        QTest::newRow("edit before the cursor") << "abc def"
                                                << "Xabc def" << 5 << 6;
        QTest::newRow("deletion before the cursor") << "abc def"
                                                    << "bc def" << 5 << 4;
        QTest::newRow("cursor inside the change") << "abc def"
                                                  << "aXYZf" << 3 << 4;
        QTest::newRow("same text") << "abc"
                                   << "abc" << 1 << 1;
        QTest::newRow("insertion at the cursor") << "abc"
                                                 << "abcd" << 3 << 3;
        QTest::newRow("repeated letters") << "aaaa"
                                          << "aaaaa" << 2 << 2;
        QTest::newRow("emptied") << "abc"
                                 << "" << 2 << 0;
        QTest::newRow("position beyond the text") << "ab"
                                                  << "ab" << 9 << 2;
    }
    void cursorMapping()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(int, position);
        QFETCH(int, expected);
        QCOMPARE(mapCursorPosition(before, after, position), expected);
    }

    void editShowsInEveryWindowAndIsStored()
    {
        auto defaults = freshDefaults();
        NotesStore store(*defaults, notesFolder());
        NotesWindow one(store, *defaults);
        NotesWindow two(store, *defaults);
        // A new area shows the template.
        QVERIFY(one.views[1]->toPlainText() == two.views[1]->toPlainText());

        one.views[1]->setPlainText("Read chapter 2 again");
        QCOMPARE(two.views[1]->toPlainText(), QString("Read chapter 2 again"));
        QVERIFY(two.views[0]->toPlainText() != QString("Read chapter 2 again"));
        // Edits travel whole, both ways: the last edit of an area wins in every window.
        typeAt(two.views[1], 0, ">> ");
        QCOMPARE(one.views[1]->toPlainText(), QString(">> Read chapter 2 again"));

        QVERIFY(store.flush());
        QCOMPARE(storedText(1), QString(">> Read chapter 2 again"));
        // The notes live in their own files, not in the settings.
        QVERIFY(!freshDefaults()->hasUserValue("sharedNotes2"));
    }

    void otherWindowKeepsItsCursor()
    {
        auto defaults = freshDefaults();
        NotesStore store(*defaults, notesFolder());
        NotesWindow one(store, *defaults);
        NotesWindow two(store, *defaults);
        one.views[0]->setPlainText("alpha beta gamma");
        QTextCursor cursor = two.views[0]->textCursor();
        cursor.setPosition(6);
        cursor.setPosition(10, QTextCursor::KeepAnchor); // "beta" selected
        two.views[0]->setTextCursor(cursor);

        typeAt(one.views[0], 0, "1. ");
        QCOMPARE(two.views[0]->textCursor().selectedText(), QString("beta"));
        typeAt(one.views[0], int(one.views[0]->toPlainText().size()), " delta");
        QCOMPARE(two.views[0]->textCursor().selectedText(), QString("beta"));
    }

    void richTextSurvivesTheStore()
    {
        auto defaults = freshDefaults();
        NotesStore store(*defaults, notesFolder());
        NotesWindow one(store, *defaults);
        one.views[2]->setHtml("<p><b>bold</b> and <a href=\"tolvo://ab/iv/\">a link</a></p>");
        QVERIFY(store.flush());
        auto reread = freshDefaults();
        NotesStore again(*reread, notesFolder());
        NotesWindow later(again, *reread);
        const QString html = later.views[2]->toHtml();
        QVERIFY(html.contains("tolvo://ab/iv/"));
        QVERIFY(html.contains("font-weight:700") || html.contains("font-weight:600"));
    }

    void writesAtMostOncePerInterval()
    {
        auto defaults = freshDefaults();
        NotesStore store(*defaults, notesFolder());
        NotesWindow one(store, *defaults);
        // One edit (a keystroke, a paste): the first after a quiet moment is written at once.
        typeAt(one.views[0], 0, "first");
        QTRY_VERIFY_WITH_TIMEOUT(storedText(0).contains("first"), 500);
        typeAt(one.views[0], 0, "second");
        // Unlike the first, an edit right after a write waits out the interval.
        QCoreApplication::processEvents();
        QVERIFY(!storedText(0).contains("second"));
        QVERIFY(store.hasUnsavedEdits());
        QTRY_VERIFY_WITH_TIMEOUT(storedText(0).contains("second"), NotesStore::kWriteIntervalMs + 500);
        QTRY_VERIFY(!store.hasUnsavedEdits());
    }

    void anotherProcessChangeIsTakenIn()
    {
        auto defaults = freshDefaults();
        NotesStore store(*defaults, notesFolder());
        NotesWindow one(store, *defaults);
        one.views[3]->setPlainText("mine");
        QVERIFY(store.flush());

        // Another process writes area 4.
        QTextDocument theirs;
        theirs.setPlainText("theirs");
        QVERIFY(notesfiles::write(notesfiles::filePath(notesFolder(), 3), theirs.toHtml()).isEmpty());
        QTRY_COMPARE(one.views[3]->toPlainText(), QString("theirs"));
    }

    void unsavedLocalEditWinsOverAnotherProcess()
    {
        auto defaults = freshDefaults();
        NotesStore store(*defaults, notesFolder());
        NotesWindow one(store, *defaults);
        one.views[4]->setPlainText("written");
        QVERIFY(store.flush());
        one.views[4]->setPlainText("typed, not yet written");

        QVERIFY(notesfiles::write(notesfiles::filePath(notesFolder(), 4), "<html><p>theirs</p></html>").isEmpty());
        store.refresh();
        QCOMPARE(one.views[4]->toPlainText(), QString("typed, not yet written"));
        QVERIFY(store.flush());
        QCOMPARE(storedText(4), QString("typed, not yet written"));
    }

    void selectedTab_data()
    {
        QTest::addColumn<qint64>("stored");
        QTest::addColumn<QString>("label");
        QTest::newRow("first") << qint64(0) << "1";
        QTest::newRow("fourth") << qint64(3) << "4";
        QTest::newRow("last") << qint64(4) << "5";
        QTest::newRow("beyond the tabs") << qint64(7) << "1";
        QTest::newRow("negative") << qint64(-1) << "1";
    }
    void selectedTab()
    {
        QFETCH(qint64, stored);
        QFETCH(QString, label);
        auto defaults = freshDefaults();
        defaults->setValue("TolvoLastSelectedScratchpad", stored);
        NotesStore store(*defaults, notesFolder());
        NotesWindow window(store, *defaults);
        window.notes->selectStoredTab();
        QCOMPARE(window.notes->tabviewselectedlabel(), label);
        QCOMPARE(window.notes->selectedTextView(), window.views[label.toInt() - 1]);
    }

    void tabChoiceIsRememberedForTheNextWindow()
    {
        auto defaults = freshDefaults();
        NotesStore store(*defaults, notesFolder());
        NotesWindow one(store, *defaults);
        one.tabs->setCurrentIndex(3); // as a click on tab "4" does
        QCOMPARE(freshDefaults()->integerForKey("TolvoLastSelectedScratchpad"), 3);
        one.notes->selectArea(1);
        QCOMPARE(freshDefaults()->integerForKey("TolvoLastSelectedScratchpad"), 1);
        NotesWindow two(store, *defaults);
        two.notes->selectStoredTab();
        QCOMPARE(two.notes->tabviewselectedlabel(), QString("2"));
    }

    void clipboardInserts_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<bool>("rich");
        QTest::addColumn<QString>("expected");
        QTest::newRow("html") << "text/html" << QByteArray("<b>bold words</b>") << true << "ab bold words cd";
        QTest::newRow("rich text, plain only") << "text/plain" << QByteArray("plain words") << true << "abcd";
        QTest::newRow("plain text") << "text/plain" << QByteArray("plain words") << false << "ab plain words cd";
        QTest::newRow("plain text, html only") << "text/html" << QByteArray("<i>x</i>") << false << "abcd";
        QTest::newRow("rtf") << "text/rtf" << QByteArray("{\\rtf1\\ansi {\\b rtf words}}") << true << "ab rtf words cd";
        QTest::newRow("damaged rtf") << "text/rtf" << QByteArray("not rtf at all") << true << "abcd";
    }
    void clipboardInserts()
    {
        QFETCH(QString, format);
        QFETCH(QByteArray, data);
        QFETCH(bool, rich);
        QFETCH(QString, expected);
        auto defaults = freshDefaults();
        NotesStore store(*defaults, notesFolder());
        NotesWindow window(store, *defaults);
        QTextEdit* view = window.notes->selectedTextView();
        view->setPlainText("abcd");
        QTextCursor cursor = view->textCursor();
        cursor.setPosition(2);
        view->setTextCursor(cursor);
        auto* mime = new QMimeData;
        mime->setData(format, data);
        QGuiApplication::clipboard()->setMimeData(mime);
        if (rich)
            window.notes->insertClipboardRichText();
        else
            window.notes->insertClipboardPlainText();
        QCOMPARE(view->toPlainText(), expected);
    }

    void pastedRichTextKeepsItsFormatAndLinks()
    {
        auto defaults = freshDefaults();
        NotesStore store(*defaults, notesFolder());
        NotesWindow window(store, *defaults);
        QTextEdit* view = window.notes->selectedTextView();
        view->clear();
        RichText link("chapter 1", TextAttributes { QString("tolvo://ab/ch.1/"), kLinkBlue, false, std::nullopt });
        auto* mime = new QMimeData;
        mime->setData("text/rtf", toRtf(link));
        QGuiApplication::clipboard()->setMimeData(mime);
        window.notes->insertClipboardRichText();
        QCOMPARE(view->toPlainText(), QString(" chapter 1 "));
        QTextCursor at(view->document());
        at.setPosition(3);
        QCOMPARE(at.charFormat().anchorHref(), QString("tolvo://ab/ch.1/"));
        // The closing space carries no link.
        at.setPosition(view->document()->characterCount() - 1);
        QVERIFY(at.charFormat().anchorHref().isEmpty());
    }

    void rulerFormatsTheSelectedArea()
    {
        auto defaults = freshDefaults();
        NotesStore store(*defaults, notesFolder());
        NotesWindow window(store, *defaults);
        window.notes->selectArea(2);
        QTextEdit* view = window.views[2];
        view->setPlainText("make this a link");
        view->selectAll();
        window.ruler->applyLink("tolvo://ab/iv/");
        QTextCursor at(view->document());
        at.setPosition(4);
        QCOMPARE(at.charFormat().anchorHref(), QString("tolvo://ab/iv/"));
        window.ruler->toggleList(QTextListFormat::ListDisc);
        QVERIFY(view->textCursor().currentList());
        window.ruler->toggleList(QTextListFormat::ListDisc);
        QVERIFY(!view->textCursor().currentList());
        // The edits went to the store like typing does.
        QVERIFY(store.html(2).contains("tolvo://ab/iv/"));
    }

    // A plain click on a link follows it; a drag over it, a modified or right click, or a
    // click beside it does not, and the text stays editable all along.
    void linkClicks_data()
    {
        QTest::addColumn<QString>("gesture");
        QTest::addColumn<bool>("follows");
        QTest::newRow("plain click") << "click" << true;
        QTest::newRow("drag from the link") << "drag" << false;
        QTest::newRow("shift click") << "shift" << false;
        QTest::newRow("right click") << "right" << false;
        QTest::newRow("click beside it") << "beside" << false;
    }
    void linkClicks()
    {
        QFETCH(QString, gesture);
        QFETCH(bool, follows);
        auto defaults = freshDefaults();
        NotesStore store(*defaults, notesFolder());
        NotesWindow window(store, *defaults);
        QVERIFY(showOnScreen(window));
        auto* view = qobject_cast<NotesTextView*>(window.notes->selectedTextView());
        QVERIFY(view);
        view->resize(480, 200);
        const QString href = "tolvo://Café.Manual/Cover Page/";
        view->setHtml("<p>See <a href=\"" + href + "\">the cover page</a> and some plain words after it</p>");
        QSignalSpy spy(window.notes.get(), &NotesPane::linkActivated);
        const QPoint onLink = pointAt(view, 8, QPoint(2, 0));
        const QPoint beside = pointAt(view, 40);
        QWidget* port = view->viewport();

        if (gesture == "click") {
            QTest::mouseClick(port, Qt::LeftButton, {}, onLink);
        } else if (gesture == "drag") {
            QTest::mousePress(port, Qt::LeftButton, {}, onLink);
            QTest::mouseMove(port, beside);
            QTest::mouseRelease(port, Qt::LeftButton, {}, beside);
            QVERIFY(view->textCursor().hasSelection());
        } else if (gesture == "shift") {
            QTest::mouseClick(port, Qt::LeftButton, Qt::ShiftModifier, onLink);
        } else if (gesture == "right") {
            QTest::mouseClick(port, Qt::RightButton, {}, onLink);
        } else {
            QTest::mouseClick(port, Qt::LeftButton, {}, beside);
        }
        QCOMPARE(spy.size(), follows ? 1 : 0);
        if (follows)
            QCOMPARE(spy.first().first().toString(), href);

        // Still editable: the keyboard selects and types.
        view->setFocus();
        QTest::keyClick(view, Qt::Key_End);
        QTest::keyClick(view, Qt::Key_Left, Qt::ShiftModifier);
        QVERIFY(view->textCursor().hasSelection());
        QTest::keyClicks(view, "T");
        QVERIFY(view->toPlainText().endsWith("after iT"));
    }

    void linkShowsHandAndAddress()
    {
        auto defaults = freshDefaults();
        NotesStore store(*defaults, notesFolder());
        NotesWindow window(store, *defaults);
        QVERIFY(showOnScreen(window));
        QTextEdit* view = window.notes->selectedTextView();
        view->setHtml("<p><a href=\"https://example.org/a b\">web</a> plain text here</p>");
        const QPoint onLink = pointAt(view, 1, QPoint(2, 0));
        const QPoint beside = pointAt(view, 12);

        QTest::mouseMove(view->viewport(), onLink);
        QTRY_COMPARE(view->viewport()->cursor().shape(), Qt::PointingHandCursor);
        QHelpEvent help(QEvent::ToolTip, onLink, view->viewport()->mapToGlobal(onLink));
        QApplication::sendEvent(view->viewport(), &help);
        QTRY_COMPARE(QToolTip::text(), QString("https://example.org/a b"));
        QTest::mouseMove(view->viewport(), beside);
        QTRY_COMPARE(view->viewport()->cursor().shape(), Qt::IBeamCursor);
    }

    // Where a clicked link goes: tolvo:// links into the application's dispatch, the web and
    // mail to the desktop, anything else nowhere.
    void followedLinksGoTheirWay_data()
    {
        QTest::addColumn<QString>("href");
        QTest::addColumn<QString>("way");
        QTest::newRow("tolvo") << "tolvo://Café.Manual/Cover Page/"
                               << "dispatch";
        QTest::newRow("tolvo, capitals") << "TOLVO://book/12/"
                                         << "dispatch";
        QTest::newRow("https") << "https://example.org/x"
                               << "desktop";
        QTest::newRow("http") << "http://example.org/x"
                              << "desktop";
        QTest::newRow("mail") << "mailto:someone@example.org"
                              << "desktop";
        QTest::newRow("file") << "file:///etc/passwd"
                              << "none";
        QTest::newRow("script") << "javascript:alert(1)"
                                << "none";
        QTest::newRow("no scheme") << "chapter 1"
                                   << "none";
    }
    void followedLinksGoTheirWay()
    {
        QFETCH(QString, href);
        QFETCH(QString, way);
        auto defaults = freshDefaults();
        NotesStore store(*defaults, notesFolder());
        QStringList dispatched;
        QList<QUrl> opened;
        DocumentEnvironment env;
        env.defaults = defaults.get();
        env.notes = &store;
        env.openLink = [&](const QString& url) { dispatched << url; };
        env.openExternalUrl = [&](const QUrl& url) { opened << url; };
        MyDocument document(env);
        document.followLink(href);
        QCOMPARE(dispatched, way == "dispatch" ? QStringList { href } : QStringList());
        QCOMPARE(opened, way == "desktop" ? QList<QUrl> { QUrl(href) } : QList<QUrl>());
    }
};

QTEST_MAIN(TestNotes)
#include "test_notes.moc"
