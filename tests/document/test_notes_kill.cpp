// SPDX-License-Identifier: GPL-3.0-or-later
// Notes survive the end of the program: killed a second after typing, quit right after it, told to end
// (SIGTERM, SIGINT, SIGHUP) a fifth of a second after it, and killed outright in the middle of typing.
#include "settings/NotesFiles.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QtTest>

#include <csignal>

using namespace tolvo;

namespace {

bool startHelper(QProcess& helper, const QString& folder, const QString& text, const QString& ending)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    helper.setProcessEnvironment(env);
    helper.start(QCoreApplication::applicationDirPath() + "/notes_kill_helper", { folder, text, ending });
    return helper.waitForStarted();
}

bool waitForTyped(QProcess& helper)
{
    QByteArray out;
    while (!out.contains("typed") && helper.waitForReadyRead(10000))
        out += helper.readAllStandardOutput();
    return out.contains("typed");
}

QString storedText(const QString& folder)
{
    const notesfiles::ReadResult read = notesfiles::read(notesfiles::filePath(folder, 0));
    QTextDocument stored;
    stored.setHtml(read.html);
    return stored.toPlainText();
}

} // namespace

class TestNotesKill : public QObject {
    Q_OBJECT

private slots:
    void notesSurvive_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::addColumn<int>("signal"); // 0: none
        QTest::addColumn<int>("afterMs");
        QTest::newRow("killed one second after typing") << "wait" << int(SIGKILL) << 1000;
        QTest::newRow("quit right after typing") << "quit" << 0 << -1;
        QTest::newRow("SIGTERM 0.2 s after typing") << "term" << int(SIGTERM) << 200;
        QTest::newRow("SIGINT 0.2 s after typing") << "term" << int(SIGINT) << 200;
        QTest::newRow("SIGHUP 0.2 s after typing") << "term" << int(SIGHUP) << 200;
    }
    void notesSurvive()
    {
        QFETCH(QString, ending);
        QFETCH(int, signal);
        QFETCH(int, afterMs);
        QTemporaryDir dir;
        const QString text = QStringLiteral("Typed before the end: 0123456789 \u00e9\u00e8");
        QProcess helper;
        QVERIFY(startHelper(helper, dir.path(), text, ending));
        QVERIFY(waitForTyped(helper));
        if (signal != 0) {
            // A helper that is still running then, ended from outside.
            QVERIFY(!helper.waitForFinished(afterMs));
            ::kill(pid_t(helper.processId()), signal);
        }
        QVERIFY(helper.waitForFinished(10000));
        if (signal == SIGTERM || signal == SIGINT || signal == SIGHUP)
            QCOMPARE(helper.exitStatus(), QProcess::NormalExit);
        QCOMPARE(storedText(dir.path()), text);
    }

    void killedWhileTypingLeavesAWholeFile_data()
    {
        QTest::addColumn<int>("afterMs");
        QTest::newRow("early") << 50;
        QTest::newRow("after some writes") << 1500;
        QTest::newRow("later") << 2600;
    }
    void killedWhileTypingLeavesAWholeFile()
    {
        QFETCH(int, afterMs);
        QTemporaryDir dir;
        const QString line = QStringLiteral("burst of typing 0123456789");
        QProcess helper;
        QVERIFY(startHelper(helper, dir.path(), line, "burst"));
        QVERIFY(waitForTyped(helper));
        QVERIFY(!helper.waitForFinished(afterMs));
        helper.kill();
        QVERIFY(helper.waitForFinished(10000));
        // Never empty, never cut off: whatever was written last is a whole notes file of whole lines
        // (the one being typed may be partly there, as it was on screen).
        const notesfiles::ReadResult read = notesfiles::read(notesfiles::filePath(dir.path(), 0));
        QCOMPARE(read.status, notesfiles::ReadResult::Status::Read);
        QVERIFY(read.html.trimmed().endsWith("</html>"));
        const QStringList lines = storedText(dir.path()).split('\n');
        QVERIFY(!lines.isEmpty());
        for (qsizetype i = 0; i + 1 < lines.size(); ++i)
            QCOMPARE(lines[i], line);
        QVERIFY(line.startsWith(lines.last()));
    }
};

QTEST_MAIN(TestNotesKill)
#include "test_notes_kill.moc"
