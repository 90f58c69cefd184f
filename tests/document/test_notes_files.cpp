// SPDX-License-Identifier: GPL-3.0-or-later
// Notes in their own files: edits that travel as edits, the move out of the settings, damaged files
// set aside while what the windows hold is written back, and writes that fail on a full or read-only
// file system, told in every window and asked about before quitting.
#include "document/NotesEdit.h"
#include "document/NotesFormatBar.h"
#include "document/NotesInsertion.h"
#include "document/NotesPane.h"
#include "document/NotesSafety.h"
#include "document/NotesStore.h"
#include "document/NotesTextView.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"
#include "settings/NotesFiles.h"
#include "support/NotesWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextList>
#include <QtTest>

#include <functional>

using namespace tolvo;
using tolvo::test::NotesWindow;

namespace {

// A small file system of its own for the notes, where the test may mount one (as root), unmounted at the end.
struct SmallFileSystem {
    QString path;
    bool mounted = false;
    explicit SmallFileSystem(const QString& folder)
        : path(folder)
    {
        QDir().mkpath(path);
        mounted = QProcess::execute("mount", { "-t", "tmpfs", "-o", "size=64k", "tmpfs", path }) == 0;
    }
    ~SmallFileSystem()
    {
        if (mounted)
            QProcess::execute("umount", { "-l", path });
    }
    bool remount(const QString& how) const { return QProcess::execute("mount", { "-o", "remount," + how, path }) == 0; }
};

// Edits a document the way a person would in one window.
using Editing = std::function<void(QTextEdit*)>;

QTextCursor at(QTextEdit* view, int position, int end = -1)
{
    QTextCursor cursor(view->document());
    cursor.setPosition(position);
    if (end >= 0)
        cursor.setPosition(end, QTextCursor::KeepAnchor);
    return cursor;
}

} // namespace

Q_DECLARE_METATYPE(Editing)

class TestNotesFiles : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString storePath() const { return m_dir.filePath("defaults.json"); }
    QString folder() const { return m_dir.filePath("notes"); }
    std::unique_ptr<Defaults> freshDefaults() const
    {
        auto d = std::make_unique<Defaults>(storePath());
        registerTolvoDefaults(*d);
        return d;
    }
    QString storedText(int area, const QString& in = QString()) const
    {
        QTextDocument stored;
        stored.setHtml(notesfiles::read(notesfiles::filePath(in.isEmpty() ? folder() : in, area)).html);
        return stored.toPlainText();
    }

private slots:
    void init()
    {
        QFile::remove(storePath());
        QDir(folder()).removeRecursively();
        setNotesQuitQuestion(nullptr);
        setNotesSaveAsPicker(nullptr);
    }

    void editsTravelAsEdits_data()
    {
        QTest::addColumn<Editing>("edit");
        QTest::newRow("typing") << Editing([](QTextEdit* v) { at(v, 4).insertText("X"); });
        QTest::newRow("bold") << Editing([](QTextEdit* v) {
            QTextCharFormat bold;
            bold.setFontWeight(QFont::Bold);
            at(v, 2, 9).mergeCharFormat(bold);
        });
        QTest::newRow("list") << Editing([](QTextEdit* v) { at(v, 5).createList(QTextListFormat::ListDisc); });
        QTest::newRow("enter in a list") << Editing([](QTextEdit* v) {
            at(v, 5).createList(QTextListFormat::ListDecimal);
            at(v, 6).insertBlock();
        });
        QTest::newRow("alignment") << Editing([](QTextEdit* v) {
            QTextBlockFormat right;
            right.setAlignment(Qt::AlignRight);
            at(v, 1).mergeBlockFormat(right);
        });
        QTest::newRow("delete across paragraphs") << Editing([](QTextEdit* v) { at(v, 2, 9).removeSelectedText(); });
        QTest::newRow("new paragraph at the end") << Editing([](QTextEdit* v) {
            QTextCursor end = at(v, 0);
            end.movePosition(QTextCursor::End);
            end.insertBlock();
            end.insertText("tail");
        });
        QTest::newRow("paste of paragraphs")
            << Editing([](QTextEdit* v) { at(v, 3).insertHtml("<ul><li>a</li><li><i>b</i></li></ul><p>c</p>"); });
        QTest::newRow("undo") << Editing([](QTextEdit* v) {
            at(v, 4).insertText("gone");
            v->document()->undo();
        });
        QTest::newRow("everything replaced") << Editing([](QTextEdit* v) { v->setHtml("<h1>New</h1><p>text</p>"); });
        QTest::newRow("emptied") << Editing([](QTextEdit* v) { v->clear(); });
    }
    void editsTravelAsEdits()
    {
        QFETCH(Editing, edit);
        auto defaults = freshDefaults();
        NotesStore store(*defaults, folder());
        NotesWindow one(store, *defaults, false);
        NotesWindow two(store, *defaults, false);
        one.views[0]->setHtml("<p>one</p><p>two</p><p>three</p>");
        QCOMPARE(two.views[0]->toHtml(), one.views[0]->toHtml());
        // The other window's cursor stays in its text, not at the start.
        two.views[0]->setTextCursor(at(two.views[0], 12));

        edit(one.views[0]);
        QCOMPARE(two.views[0]->toHtml(), one.views[0]->toHtml());
        QCOMPARE(store.html(0), one.views[0]->toHtml());
        QVERIFY(store.flush());
        QTextDocument stored;
        stored.setHtml(notesfiles::read(notesfiles::filePath(folder(), 0)).html);
        QCOMPARE(stored.toHtml(), one.views[0]->toHtml());
    }

    void typingMovesOtherCursorsOnlyAsFarAsTheText()
    {
        auto defaults = freshDefaults();
        NotesStore store(*defaults, folder());
        NotesWindow one(store, *defaults, false);
        NotesWindow two(store, *defaults, false);
        one.views[0]->setPlainText("alpha beta gamma");
        two.views[0]->setTextCursor(at(two.views[0], 6, 10));
        at(one.views[0], 0).insertText("1. ");
        QCOMPARE(two.views[0]->textCursor().selectedText(), QString("beta"));
    }

    void inactiveWindowsCatchUpBeforeTheyAreEdited_data()
    {
        QTest::addColumn<bool>("byKey");
        QTest::newRow("in time") << false;
        QTest::newRow("typed into at once") << true;
    }
    void inactiveWindowsCatchUpBeforeTheyAreEdited()
    {
        QFETCH(bool, byKey);
        auto defaults = freshDefaults();
        NotesStore store(*defaults, folder());
        NotesWindow one(store, *defaults, false);
        NotesWindow two(store, *defaults, false);
        one.views[0]->setPlainText("shared text");
        for (NotesWindow* window : { &one, &two }) {
            window->pane.resize(400, 300);
            window->pane.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window->pane));
        }
        QApplication::setActiveWindow(&one.pane);
        QTRY_VERIFY(one.pane.isActiveWindow());
        for (int i = 0; i < 5; ++i)
            at(one.views[0], 6 + i).insertText(QString::number(i));
        if (byKey) {
            // The other window is typed into before its batch is due: it takes the edits in first.
            QTest::keyClick(two.views[0], Qt::Key_End, Qt::ControlModifier);
            QTest::keyClicks(two.views[0], "!");
            QCOMPARE(two.views[0]->toPlainText(), QString("shared01234 text!"));
            QCOMPARE(one.views[0]->toPlainText(), QString("shared01234 text!"));
        } else {
            QTRY_COMPARE(two.views[0]->toPlainText(), QString("shared01234 text"));
        }
        QCOMPARE(two.views[0]->toHtml(), one.views[0]->toHtml());
    }

    void notesMoveOutOfTheSettings_data()
    {
        QTest::addColumn<QList<int>>("areas");
        QTest::newRow("one area") << QList<int> { 1 };
        QTest::newRow("every area") << QList<int> { 0, 1, 2, 3, 4 };
        QTest::newRow("none") << QList<int> {};
    }
    void notesMoveOutOfTheSettings()
    {
        QFETCH(QList<int>, areas);
        {
            auto old = freshDefaults();
            for (int area : areas)
                old->setValue(keys::sharedNotes(area), QStringLiteral("<p>kept %1</p>").arg(area));
            old->setValue(keys::kLastSelectedScratchpad, 2);
            QVERIFY(old->synchronize());
        }
        auto defaults = freshDefaults();
        NotesStore store(*defaults, folder());
        NotesWindow window(store, *defaults, false);
        for (int area = 0; area < 5; ++area) {
            const bool moved = areas.contains(area);
            QCOMPARE(QFile::exists(notesfiles::filePath(folder(), area)), moved);
            if (moved) {
                QCOMPARE(window.views[area]->toPlainText(), QStringLiteral("kept %1").arg(area));
                QCOMPARE(storedText(area), QStringLiteral("kept %1").arg(area));
            }
            // Gone from the settings only once in a file; the other settings stay.
            QVERIFY(!freshDefaults()->hasUserValue(keys::sharedNotes(area)));
        }
        QCOMPARE(freshDefaults()->integerForKey(keys::kLastSelectedScratchpad), 2);
    }

    void notesStayInTheSettingsWhenTheirFilesCannotBeWritten()
    {
        SmallFileSystem small(folder());
        if (!small.mounted || !small.remount("ro"))
            QSKIP("needs a file system of its own (root may mount one)");
        {
            auto old = freshDefaults();
            old->setValue(keys::sharedNotes(0), QStringLiteral("<p>precious</p>"));
            QVERIFY(old->synchronize());
        }
        auto defaults = freshDefaults();
        NotesStore store(*defaults, folder());
        QVERIFY(freshDefaults()->hasUserValue(keys::sharedNotes(0)));
        QCOMPARE(store.writeProblem(), QString("the file system is read-only"));
        QVERIFY(store.html(0).contains("precious"));
    }

    void damagedNotesFileIsSetAside_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("not UTF-8") << QByteArray("<html>\xff\xfe\xfd</html>");
        QTest::newRow("not HTML") << QByteArray("\x01\x02 random bytes");
        QTest::newRow("empty") << QByteArray();
    }
    void damagedNotesFileIsSetAside()
    {
        QFETCH(QByteArray, content);
        auto defaults = freshDefaults();
        NotesStore store(*defaults, folder());
        NotesWindow window(store, *defaults, false);
        window.views[2]->setPlainText("what the window holds");
        QVERIFY(store.flush());

        // Damaged by someone else while Tolvo runs.
        QFile file(notesfiles::filePath(folder(), 2));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
        file.close();
        store.refresh();

        QCOMPARE(window.views[2]->toPlainText(), QString("what the window holds"));
        QCOMPARE(storedText(2), QString("what the window holds"));
        const QStringList aside = QDir(folder()).entryList({ "notes-3.html.damaged-*" });
        QCOMPARE(aside.size(), 1);
        QFile kept(QDir(folder()).filePath(aside.first()));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), content);
        // Told in the window, with the path.
        QVERIFY(window.notes->messageBar()->noticeText().contains(QDir(folder()).filePath(aside.first())));
    }

    void damagedSettingsKeepTheNotesAndAreWrittenBack()
    {
        auto defaults = freshDefaults();
        defaults->setValue(keys::kLastSelectedScratchpad, 4);
        QVERIFY(defaults->synchronize());
        NotesStore store(*defaults, folder());
        NotesWindow window(store, *defaults, false);
        window.views[0]->setPlainText("my notes");
        QVERIFY(store.flush());

        QFile file(storePath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("{ \"TolvoLastSelectedScratchpad\": ");
        file.close();
        // The next read finds the damage; the store is written back at once.
        QCOMPARE(defaults->integerForKey(keys::kLastSelectedScratchpad), 4);
        QTRY_COMPARE(QDir(m_dir.path()).entryList({ "defaults.json.damaged-*" }).size(), 1);
        QCOMPARE(freshDefaults()->integerForKey(keys::kLastSelectedScratchpad), 4);
        QCOMPARE(window.views[0]->toPlainText(), QString("my notes"));
        QVERIFY(window.notes->messageBar()->noticeText().contains("defaults.json.damaged-"));
    }

    void failedWriteIsToldAndAskedAbout_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("reason");
        QTest::newRow("disk full") << "full"
                                   << "the disk is full";
        QTest::newRow("read-only file system") << "ro"
                                               << "the file system is read-only";
    }
    void failedWriteIsToldAndAskedAbout()
    {
        QFETCH(QString, fault);
        QFETCH(QString, reason);
        SmallFileSystem small(folder());
        if (!small.mounted)
            QSKIP("needs a file system of its own (root may mount one)");
        auto defaults = freshDefaults();
        NotesStore store(*defaults, folder());
        NotesWindow one(store, *defaults, false);
        NotesWindow two(store, *defaults, false);
        one.views[0]->setPlainText("written while there was room");
        QVERIFY(store.flush());

        const QString filler = QDir(folder()).filePath("filler");
        if (fault == "full") {
            QFile fill(filler);
            QVERIFY(fill.open(QIODevice::WriteOnly));
            const QByteArray block(1024, 'x');
            while (fill.write(block) == block.size() && fill.flush()) { }
        } else {
            QVERIFY(small.remount("ro"));
        }

        const QString typed = QString("typed after the disk filled ").repeated(300);
        at(one.views[0], 0).insertText(typed);

        // Every window says so, with the reason, until the write succeeds.
        for (NotesWindow* window : { &one, &two }) {
            QTRY_VERIFY(window->notes->messageBar()->problemText().contains(reason));
            QVERIFY(!window->notes->messageBar()->saveAsButton()->isHidden());
        }

        // Quitting asks; "Try Again" asks again while the disk stays as it is, "Save Notes As..." saves elsewhere.
        QList<QString> asked;
        setNotesQuitQuestion([&asked](QWidget*, const QString& problem) {
            asked.append(problem);
            return asked.size() == 1 ? NotesQuitAnswer::TryAgain : NotesQuitAnswer::SaveAs;
        });
        QTemporaryDir elsewhere;
        const QString savedAs = elsewhere.filePath("rescued.html");
        setNotesSaveAsPicker([&savedAs](QWidget*) { return savedAs; });
        QVERIFY(notesAllowQuit(store, &one.pane));
        QCOMPARE(asked, (QList<QString> { reason, reason }));
        QTextDocument rescued;
        rescued.setHtml(notesfiles::read(savedAs).html);
        QVERIFY(rescued.toPlainText().contains(typed.trimmed()));

        // Room again: the retries succeed by themselves and the bars go.
        if (fault == "full")
            QVERIFY(QFile::remove(filler));
        else
            QVERIFY(small.remount("rw"));
        QTRY_VERIFY_WITH_TIMEOUT(one.notes->messageBar()->problemText().isEmpty(), 5000);
        QVERIFY(two.notes->messageBar()->isHidden());
        QVERIFY(storedText(0).startsWith(typed.trimmed()));
    }

    void pastedRtfKeepsWhatTheUserSees_data()
    {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("check"); // which format the word "w" (or its Cyrillic) must carry
        QTest::newRow("bold") << QByteArray("{\\rtf1\\ansi a {\\b w} z}") << "a w z"
                              << "bold";
        QTest::newRow("italic") << QByteArray("{\\rtf1\\ansi a {\\i w} z}") << "a w z"
                                << "italic";
        QTest::newRow("strike-through") << QByteArray("{\\rtf1\\ansi a {\\strike w} z}") << "a w z"
                                        << "strike";
        QTest::newRow("cp1251 bold") << QByteArray("{\\rtf1\\ansi\\ansicpg1251 a {\\b \\'e2} z}") << "a \u0432 z"
                                     << "bold";
    }
    void pastedRtfKeepsWhatTheUserSees()
    {
        QFETCH(QByteArray, rtf);
        QFETCH(QString, text);
        QFETCH(QString, check);
        auto defaults = freshDefaults();
        NotesStore store(*defaults, folder());
        NotesWindow window(store, *defaults, false);
        QTextEdit* view = window.views[0];
        view->clear();
        auto* mime = new QMimeData;
        mime->setData("text/rtf", rtf);
        QGuiApplication::clipboard()->setMimeData(mime);
        window.notes->insertClipboardRichText();
        QCOMPARE(view->toPlainText(), " " + text + " ");
        const QTextCharFormat word = at(view, 4).charFormat(); // after the styled character
        const QTextCharFormat plain = at(view, 2).charFormat();
        if (check == "bold") {
            QVERIFY(word.fontWeight() >= QFont::Bold);
            QVERIFY(plain.fontWeight() < QFont::Bold);
        } else if (check == "italic") {
            QVERIFY(word.fontItalic() && !plain.fontItalic());
        } else {
            QVERIFY(word.fontStrikeOut() && !plain.fontStrikeOut());
        }
    }

    void insertedLinksTakeTheFontAroundThem()
    {
        auto defaults = freshDefaults();
        NotesStore store(*defaults, folder());
        NotesWindow window(store, *defaults, false);
        QTextEdit* view = window.views[0];
        view->setHtml("<p style=\"font-size:17pt; font-family:'DejaVu Serif'\">notes text</p>");
        QTextCursor end = at(view, 10);
        view->setTextCursor(end);
        RichText link(
            "a link", TextAttributes { QString("tolvo://ab/iv/"), RgbColor { 0, 0, 255 }, false, std::nullopt });
        insertIntoTextView(view, { NotesPiece(link) });
        const QTextCharFormat inserted = at(view, 12).charFormat();
        QCOMPARE(inserted.anchorHref(), QString("tolvo://ab/iv/"));
        QCOMPARE(inserted.fontPointSize(), 17.0);
        QCOMPARE(inserted.fontFamilies().toStringList(), at(view, 5).charFormat().fontFamilies().toStringList());
    }

    void quitWithSavedNotesAsksNothing()
    {
        auto defaults = freshDefaults();
        NotesStore store(*defaults, folder());
        NotesWindow one(store, *defaults, false);
        one.views[0]->setPlainText("safe");
        bool asked = false;
        setNotesQuitQuestion([&asked](QWidget*, const QString&) {
            asked = true;
            return NotesQuitAnswer::QuitAnyway;
        });
        QVERIFY(notesAllowQuit(store, &one.pane));
        QVERIFY(!asked);
        QCOMPARE(storedText(0), QString("safe"));
    }
};

QTEST_MAIN(TestNotesFiles)
#include "test_notes_files.moc"
