// SPDX-License-Identifier: GPL-3.0-or-later
// Notes survive the end of the program: a kill a second after typing, and a quit right after it.
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QtTest>

using namespace tolvo;

class TestNotesKill : public QObject {
    Q_OBJECT

private slots:
    void notesSurvive_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::addColumn<int>("killAfterMs");
        QTest::newRow("killed one second after typing") << "wait" << 1000;
        QTest::newRow("quit right after typing") << "quit" << -1;
    }
    void notesSurvive()
    {
        QFETCH(QString, ending);
        QFETCH(int, killAfterMs);
        QTemporaryDir dir;
        const QString file = dir.filePath("defaults.json");
        const QString text = QStringLiteral("Typed before the end: 0123456789 \u00e9\u00e8");
        QProcess helper;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        helper.setProcessEnvironment(env);
        helper.start(QCoreApplication::applicationDirPath() + "/notes_kill_helper", { file, text, ending });
        QVERIFY(helper.waitForStarted());
        QByteArray out;
        while (!out.contains("typed") && helper.waitForReadyRead(10000))
            out += helper.readAllStandardOutput();
        QVERIFY(out.contains("typed"));
        if (killAfterMs >= 0) {
            // The promise is a write within a second of the last edit, so the kill comes at that
            // moment, to a helper that is still running then.
            QVERIFY(!helper.waitForFinished(killAfterMs));
            helper.kill();
        }
        QVERIFY(helper.waitForFinished(10000));

        Defaults reread(file);
        registerTolvoDefaults(reread);
        QTextDocument stored;
        stored.setHtml(reread.stringForKey(QStringLiteral("sharedNotes1")));
        QCOMPARE(stored.toPlainText(), text);
    }
};

QTEST_MAIN(TestNotesKill)
#include "test_notes_kill.moc"
