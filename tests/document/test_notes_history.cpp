// SPDX-License-Identifier: GPL-3.0-or-later
// Earlier versions of the notes: which versions pruning keeps, the version kept at each start and on each
// day's first change, restoring one in every window (from the dialog and through tolvo-cli while a window
// is open), damaged versions passed over with a word, and tolvo-cli defaults over the notes files.
#include "document/NotesHistoryDialog.h"
#include "document/NotesStore.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"
#include "settings/NotesFiles.h"
#include "settings/NotesHistory.h"
#include "support/NotesWindow.h"
#include "support/ToolSandbox.h"

#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QtTest>

#include <ctime>

using namespace tolvo;
using tolvo::test::NotesWindow;
using tolvo::test::ToolSandbox;

namespace {

using Ages = QList<double>; // in days before now, newest first
using Kinds = QList<int>; // noteshistory::Kind per version

const QDateTime kNow(QDate(2026, 12, 8), QTime(12, 0), Qt::UTC);

QList<noteshistory::Version> versionsAt(const Ages& ages, const Kinds& kinds)
{
    QList<noteshistory::Version> versions;
    for (qsizetype i = 0; i < ages.size(); ++i) {
        noteshistory::Version v;
        v.taken = kNow.addMSecs(qint64(-ages[i] * 86400000.0));
        v.id = v.taken.toString("yyyyMMdd-hhmmss-zzz");
        v.kind = noteshistory::Kind(kinds.value(i, int(noteshistory::Kind::Launch)));
        versions.append(v);
    }
    return versions;
}

QString plain(const QString& html)
{
    QTextDocument document;
    document.setHtml(html);
    return document.toPlainText();
}

QString htmlOf(const QString& text)
{
    QTextDocument document;
    document.setPlainText(text);
    return document.toHtml();
}

// A version of area 0 in folder, with text, taken daysAgo days before now.
void keepVersion(const QString& folder, const QString& text, double daysAgo)
{
    QVERIFY(noteshistory::keep(folder, 0, htmlOf(text), noteshistory::Kind::Launch,
        QDateTime::currentDateTimeUtc().addMSecs(qint64(-daysAgo * 86400000.0)))
                .isEmpty());
}

} // namespace

class TestNotesHistory : public QObject {
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
    QStringList versionTexts(const QString& in = QString()) const
    {
        QStringList texts;
        for (const noteshistory::Version& v : noteshistory::list(in.isEmpty() ? folder() : in, 0))
            texts << plain(notesfiles::read(v.path).html);
        return texts;
    }

private slots:
    void initTestCase()
    {
        // Days are the user's days: one time zone for every row.
        qputenv("TZ", "UTC");
        tzset();
    }
    void init()
    {
        QFile::remove(storePath());
        QDir(folder()).removeRecursively();
    }

    void pruning_data()
    {
        QTest::addColumn<Ages>("ages");
        QTest::addColumn<Kinds>("kinds");
        QTest::addColumn<Ages>("dropped");
        const int daily = int(noteshistory::Kind::Daily);
        QTest::newRow("recent ones stay") << Ages { 0, 1, 2, 13.9 } << Kinds {} << Ages {};
        QTest::newRow("older than 14 days go") << Ages { 1, 14.1, 20 } << Kinds {} << Ages { 14.1, 20 };
        QTest::newRow("the newest stays however old") << Ages { 30, 40 } << Kinds {} << Ages { 40 };
        QTest::newRow("one daily version a day")
            << Ages { 1, 1.1, 1.2, 2 } << Kinds { daily, daily, daily, daily } << Ages { 1.1, 1.2 };
        QTest::newRow("every start of a day") << Ages { 1, 1.1, 1.2 } << Kinds {} << Ages {};
        QTest::newRow("a start beside a day's version")
            << Ages { 1, 1.1 } << Kinds { daily, int(noteshistory::Kind::Launch) } << Ages {};
        QTest::newRow("a restore more than 14 days ago")
            << Ages { 0, 15 } << Kinds { daily, int(noteshistory::Kind::Restore) } << Ages { 15 };
        QTest::newRow("in the future (a clock set back)") << Ages { -3, 0 } << Kinds {} << Ages {};
        Ages many;
        for (int i = 0; i < noteshistory::kMaxVersions + 5; ++i)
            many << 0.001 * i;
        QTest::newRow("too many in one day: the oldest go") << many << Kinds {} << Ages { many.end() - 5, many.end() };
        Ages spread = many;
        spread.last() = 10; // the only version of its day stays; the oldest of the crowded day go
        QTest::newRow("too many: a day's only version stays")
            << spread << Kinds {} << Ages { spread.end() - 6, spread.end() - 1 };
    }
    void pruning()
    {
        QFETCH(Ages, ages);
        QFETCH(Kinds, kinds);
        QFETCH(Ages, dropped);
        const QList<noteshistory::Version> versions = versionsAt(ages, kinds);
        QStringList expected;
        for (const noteshistory::Version& v : versionsAt(dropped, {}))
            expected << v.id;
        QStringList got;
        for (const noteshistory::Version& v : noteshistory::toPrune(versions, kNow))
            got << v.id;
        QCOMPARE(got, expected);
    }

    void versionBeforeEachStart_data()
    {
        QTest::addColumn<QStringList>("launches"); // the text typed in each launch; empty: nothing typed
        QTest::addColumn<QStringList>("versions"); // newest first
        QTest::newRow("one start") << QStringList { "" } << QStringList { "at first" };
        QTest::newRow("typing in one start") << QStringList { "one", "two" } << QStringList { "one", "at first" };
        QTest::newRow("starts without typing") << QStringList { "", "", "" } << QStringList { "at first" };
        QTest::newRow("typing between starts")
            << QStringList { "one", "two", "" } << QStringList { "two", "one", "at first" };
    }
    void versionBeforeEachStart()
    {
        QFETCH(QStringList, launches);
        QFETCH(QStringList, versions);
        QVERIFY(notesfiles::write(notesfiles::filePath(folder(), 0), htmlOf("at first")).isEmpty());
        for (const QString& typed : launches) {
            auto defaults = freshDefaults();
            NotesStore store(*defaults, folder());
            NotesWindow window(store, *defaults, false);
            if (!typed.isEmpty()) {
                // Many writes in one launch: still one version of the start.
                for (const QString& word : QStringList { "x", "y", typed }) {
                    window.views[0]->setPlainText(word);
                    QVERIFY(store.flush());
                }
            }
        }
        QCOMPARE(versionTexts(), versions);
        for (const noteshistory::Version& v : noteshistory::list(folder(), 0))
            QCOMPARE(v.kind, noteshistory::Kind::Launch);
        // Areas never written have no files and no versions.
        QVERIFY(noteshistory::list(folder(), 3).isEmpty());
    }

    void aVersionADayAndOlderOnesGo()
    {
        QVERIFY(notesfiles::write(notesfiles::filePath(folder(), 0), htmlOf("start")).isEmpty());
        auto defaults = freshDefaults();
        NotesStore store(*defaults, folder());
        NotesWindow window(store, *defaults, false);
        const QDateTime launch = QDateTime::currentDateTimeUtc();
        auto typeOn = [&](qint64 day, const QString& text) {
            store.setClock([=] { return launch.addDays(day); });
            window.views[0]->setPlainText(text);
            QVERIFY(store.flush());
        };
        typeOn(0, "one");
        typeOn(0, "one more");
        QCOMPARE(versionTexts(), QStringList { "start" });
        typeOn(1, "two"); // the day's first change keeps the text as it was
        typeOn(1, "two more");
        QCOMPARE(versionTexts(), (QStringList { "one more", "start" }));
        typeOn(30, "three"); // a month later, the versions of more than 14 days ago go
        QCOMPARE(versionTexts(), QStringList { "two more" });
        QCOMPARE(noteshistory::list(folder(), 0).first().kind, noteshistory::Kind::Daily);
    }

    void restoreFromTheDialog_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("restored");
        QTest::newRow("the newest") << 0 << "yesterday";
        QTest::newRow("an older one") << 1 << "last week";
    }
    void restoreFromTheDialog()
    {
        QFETCH(int, row);
        QFETCH(QString, restored);
        keepVersion(folder(), "last week", 7);
        keepVersion(folder(), "yesterday", 1);
        auto defaults = freshDefaults();
        NotesStore store(*defaults, folder());
        NotesWindow one(store, *defaults, false);
        NotesWindow two(store, *defaults, false);
        one.views[0]->setPlainText("today");
        QVERIFY(store.flush());

        NotesHistoryDialog dialog(store, 0);
        QCOMPARE(dialog.versionList()->count(), 2); // no file before this start: no version of it
        dialog.versionList()->setCurrentRow(row);
        QCOMPARE(dialog.preview()->toPlainText(), restored);
        QVERIFY(dialog.preview()->isReadOnly());
        QVERIFY(dialog.problemText().isEmpty());
        dialog.restoreSelected();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));

        for (NotesWindow* window : { &one, &two })
            QCOMPARE(window->views[0]->toPlainText(), restored);
        QVERIFY(store.flush());
        QCOMPARE(plain(notesfiles::read(notesfiles::filePath(folder(), 0)).html), restored);
        // The text replaced is a version now, and the restore is an edit that can be undone.
        QCOMPARE(versionTexts().first(), QString("today"));
        QCOMPARE(noteshistory::list(folder(), 0).first().kind, noteshistory::Kind::Restore);
        two.views[0]->document()->undo();
        QCOMPARE(two.views[0]->toPlainText(), QString("today"));
        QCOMPARE(one.views[0]->toPlainText(), QString("today"));
    }

    void damagedVersionIsSkippedWithAWord_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("problem");
        QTest::newRow("not UTF-8") << QByteArray("<html>\xff\xfe</html>") << "it is not UTF-8 text";
        QTest::newRow("not HTML") << QByteArray("\x01\x02 bytes") << "it is not HTML";
        QTest::newRow("empty") << QByteArray() << "it is empty";
    }
    void damagedVersionIsSkippedWithAWord()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, problem);
        keepVersion(folder(), "good", 2);
        const QString damaged = noteshistory::folder(folder(), 0) + "/20261201-101010-000-daily.html";
        QFile file(damaged);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();

        const noteshistory::Checked checked = noteshistory::listChecked(folder(), 0);
        QCOMPARE(checked.versions.size(), 1);
        QCOMPARE(checked.skipped.size(), 1);
        QVERIFY(checked.skipped.first().contains(problem));
        QVERIFY(checked.skipped.first().contains(damaged));

        auto defaults = freshDefaults();
        NotesStore store(*defaults, folder());
        NotesHistoryDialog dialog(store, 0);
        QCOMPARE(dialog.versionList()->count(), 1);
        QVERIFY(dialog.problemText().contains(problem));
        QCOMPARE(dialog.preview()->toPlainText(), QString("good"));
    }

    void restoreThroughTheCommandLineWhileAWindowIsOpen()
    {
        ToolSandbox home;
        const QString notes = home.dataHome() + "/Tolvo/notes";
        keepVersion(notes, "kept last week", 7);
        auto defaults = freshDefaults();
        NotesStore store(*defaults, notes);
        NotesWindow window(store, *defaults, false);
        window.views[0]->setPlainText("typed today");
        QVERIFY(store.flush());

        const test::ToolRun listed = home.cli({ "notes", "list", "1" });
        QCOMPARE(listed.code, 0);
        QVERIFY(listed.outText().startsWith("1   1  "));
        QCOMPARE(listed.outText().count('\n'), 1);
        QCOMPARE(home.cli({ "notes", "print", "1", "1" }).outText(), QString("kept last week\n"));

        const test::ToolRun restored = home.cli({ "notes", "restore", "1", "1" });
        QCOMPARE(restored.code, 0);
        QTRY_COMPARE(window.views[0]->toPlainText(), QString("kept last week"));
        QCOMPARE(home.cli({ "notes", "print", "1" }).outText(), QString("kept last week\n"));
        QVERIFY(versionTexts(notes).contains("typed today"));
        // Taken back in the window, as any edit.
        window.views[0]->document()->undo();
        QCOMPARE(window.views[0]->toPlainText(), QString("typed today"));
    }

    void commandLineMistakes_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("says");
        QTest::newRow("no such area") << QStringList { "notes", "list", "6" } << 2 << "not a notes area";
        QTest::newRow("no such version") << QStringList { "notes", "restore", "1", "9" } << 3 << "no version '9'";
        QTest::newRow("restore without a version") << QStringList { "notes", "restore", "1" } << 2 << "N and VERSION";
        QTest::newRow("unknown action") << QStringList { "notes", "forget", "1" } << 2 << "unknown action";
        QTest::newRow("deleting notes") << QStringList { "defaults", "--delete", "sharedNotes2" } << 2
                                        << "not deleted here";
    }
    void commandLineMistakes()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, says);
        ToolSandbox home;
        const test::ToolRun run = home.cli(args);
        QCOMPARE(run.code, code);
        QVERIFY2(run.errText().contains(says), qPrintable(run.errText()));
    }

    void defaultsKeyOfANotesArea_data()
    {
        QTest::addColumn<QString>("file"); // empty: no notes file
        QTest::addColumn<QString>("stored"); // empty: nothing in the settings
        QTest::addColumn<QString>("shown");
        QTest::newRow("in its file") << "file notes"
                                     << "stale settings notes"
                                     << "file notes";
        QTest::newRow("not moved yet") << ""
                                       << "settings notes"
                                       << "settings notes";
        QTest::newRow("never written") << ""
                                       << ""
                                       << "Welcome to Tolvo";
    }
    void defaultsKeyOfANotesArea()
    {
        QFETCH(QString, file);
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        ToolSandbox home;
        const QString notes = home.dataHome() + "/Tolvo/notes";
        if (!file.isEmpty())
            QVERIFY(notesfiles::write(notesfiles::filePath(notes, 1), htmlOf(file)).isEmpty());
        if (!stored.isEmpty()) {
            Defaults old(home.storePath());
            registerTolvoDefaults(old);
            old.setValue(keys::sharedNotes(1), htmlOf(stored));
            QVERIFY(old.synchronize());
        }
        const test::ToolRun read = home.cli({ "defaults", "sharedNotes2" });
        QCOMPARE(read.code, 0);
        QVERIFY2(read.outText().contains(shown), qPrintable(read.outText()));

        // Written through the file, the text replaced kept as a version, the settings' copy gone.
        QCOMPARE(home.cli({ "defaults", "sharedNotes2", "\"<p>from the command line</p>\"" }).code, 0);
        QCOMPARE(plain(notesfiles::read(notesfiles::filePath(notes, 1)).html), QString("from the command line"));
        QVERIFY(home.cli({ "notes", "print", "2", "1" }).outText().contains(shown));
        Defaults after(home.storePath());
        registerTolvoDefaults(after);
        QVERIFY(!after.hasUserValue(keys::sharedNotes(1)));
    }
};

QTEST_MAIN(TestNotesHistory)
#include "test_notes_history.moc"
