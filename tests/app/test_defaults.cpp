// SPDX-License-Identifier: GPL-3.0-or-later
// The defaults store: registration, typed reads, persistence, damaged files,
// and writes from several stores (processes) at once.
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace tolvo;

class TestDefaults : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath(QStringLiteral("defaults.json")); }

    std::unique_ptr<Defaults> fresh() const
    {
        auto d = std::make_unique<Defaults>(path());
        registerTolvoDefaults(*d);
        return d;
    }

    QJsonObject fileObject() const
    {
        QFile f(path());
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QJsonDocument::fromJson(f.readAll()).object();
    }

    void writeFile(const QByteArray& bytes) const
    {
        QFile f(path());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }

private slots:
    void init()
    {
        QDir dir(m_dir.path());
        for (const QString& name : dir.entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot))
            QFileInfo(dir.filePath(name)).isDir() ? QDir(dir.filePath(name)).removeRecursively()
                                                  : QFile::remove(dir.filePath(name));
    }

    void registeredDefaults_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("expected");
        QTest::newRow("search pane height") << "TolvoSearchSplitViewDividerPosition" << QVariant(170.0);
        QTest::newRow("first notes area") << "TolvoLastSelectedScratchpad" << QVariant(qint64(0));
        QTest::newRow("expanded links") << "TolvoURLRichTextPreference" << QVariant("URLRichTextPrefExpanded");
        QTest::newRow("box corner") << "TolvoPDFViewRedBoxLocationPref" << QVariant("Top Left");
        QTest::newRow("box size") << "TolvoPDFViewRedBoxSizePref" << QVariant("Medium");
        QTest::newRow("auto-match on") << "TolvoAutoMatchEnabled" << QVariant(true);
        QTest::newRow("no automatic check") << "TolvoAutomaticallyValidatePrefixToPDFAssignments" << QVariant(false);
        QTest::newRow("markdown off") << "TolvoShouldUseMarkdownForCopy" << QVariant(false);
        QTest::newRow("font") << "kUDKeyFontNameForRichTextCopiedFromPDF" << QVariant("Helvetica");
        QTest::newRow("font size") << "kUDKeyFontSizeForRichTextCopiedFromPDF" << QVariant(12.0);
        QTest::newRow("yellow marks") << "TolvoMarkColour" << QVariant("yellow");
        QTest::newRow("routing table") << "routingDictionarySandboxed" << QVariant(QVariantMap());
        QTest::newRow("matching table") << "matchingDictionarySandboxed"
                                        << QVariant(QVariantMap { { "apphelp", "Tolvo User Guide.pdf" } });
    }
    void registeredDefaults()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, expected);
        auto d = fresh();
        QCOMPARE(d->valueForKey(key), expected);
        QVERIFY(!d->hasUserValue(key));
    }

    void everyKeyRegisteredOnce()
    {
        auto d = fresh();
        QSet<QString> names;
        for (const auto& key : d->registeredKeys())
            names.insert(key.name);
        // Every key once; a fixed count only told that a key had been added.
        QCOMPARE(names.size(), d->registeredKeys().size());
    }

    void notesStartAlikeFromTheTemplate()
    {
        auto d = fresh();
        const QString first = d->stringForKey(keys::sharedNotes(0));
        QVERIFY(first.contains(QLatin1String("Welcome")));
        for (int i = 1; i < 5; ++i)
            QCOMPARE(d->stringForKey(keys::sharedNotes(i)), first);
    }

    void userValueWinsAndRemovalRestoresDefault()
    {
        auto d = fresh();
        d->setValue(keys::kShouldUseMarkdownForCopy, true);
        QVERIFY(d->boolForKey(keys::kShouldUseMarkdownForCopy));
        QVERIFY(d->synchronize());
        QCOMPARE(fileObject().value(keys::kShouldUseMarkdownForCopy).toBool(), true);

        auto other = fresh();
        QVERIFY(other->boolForKey(keys::kShouldUseMarkdownForCopy));
        other->removeValue(keys::kShouldUseMarkdownForCopy);
        QVERIFY(!other->boolForKey(keys::kShouldUseMarkdownForCopy));
        QVERIFY(other->synchronize());
        QVERIFY(!fileObject().contains(keys::kShouldUseMarkdownForCopy));
        // The first store sees the other's removal at its next read.
        QVERIFY(!d->boolForKey(keys::kShouldUseMarkdownForCopy));
    }

    void floatsAreStoredAsFloats()
    {
        auto d = fresh();
        d->setValue(keys::kSearchSplitViewDividerPosition, 123.456789);
        QCOMPARE(d->floatForKey(keys::kSearchSplitViewDividerPosition), 123.456789f);
        QCOMPARE(d->doubleForKey(keys::kSearchSplitViewDividerPosition), double(123.456789f));
    }

    void wrongTypesAreRefused_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("string for bool") << "TolvoAutoMatchEnabled" << QVariant("no");
        QTest::newRow("map for float") << "TolvoSearchSplitViewDividerPosition" << QVariant(QVariantMap());
        QTest::newRow("number for dictionary") << "routingDictionarySandboxed" << QVariant(3);
        QTest::newRow("bool for string") << "TolvoURLRichTextPreference" << QVariant(true);
        QTest::newRow("float beyond a float") << "TolvoSearchSplitViewDividerPosition" << QVariant(1e39);
        QTest::newRow("integer beyond 64 bits") << "TolvoLastSelectedScratchpad" << QVariant(1e19);
        QTest::newRow("integer below 64 bits") << "TolvoLastSelectedScratchpad" << QVariant(-1e19);
    }
    void wrongTypesAreRefused()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, value);
        auto d = fresh();
        const QVariant before = d->valueForKey(key);
        d->setValue(key, value);
        QCOMPARE(d->valueForKey(key), before);
        QVERIFY(!d->hasUserValue(key));
    }

    void handEditedWrongTypeReadsAsDefault()
    {
        writeFile(R"({"TolvoAutoMatchEnabled": "yes", "TolvoLastSelectedScratchpad": 3, "someFutureKey": [1,2],
                      "TolvoSearchSplitViewDividerPosition": 1e308, "TolvoSearchIndexLimitMB": -1e300})");
        auto d = fresh();
        QCOMPARE(d->boolForKey(keys::kAutoMatchEnabled), true);
        // Numbers their key's type cannot hold read as the default, shown so that they can be typed back.
        QCOMPARE(d->floatForKey(keys::kSearchSplitViewDividerPosition), 170.0f);
        QCOMPARE(d->integerForKey(keys::kSearchIndexLimitMB), 500);
        QCOMPARE(d->integerForKey(keys::kLastSelectedScratchpad), 3);
        // A key this version does not know survives our writes.
        d->setValue(keys::kShowHelpOnStart, false);
        QVERIFY(d->synchronize());
        QCOMPARE(fileObject().value("someFutureKey").toArray().size(), 2);
    }

    void damagedFileIsKeptAside_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("truncated") << QByteArray(R"({"TolvoAutoMatchEnabled": fal)");
        QTest::newRow("not an object") << QByteArray("[1, 2, 3]");
        QTest::newRow("binary") << QByteArray("\x00\xff\xfe garbage", 12);
    }
    void damagedFileIsKeptAside()
    {
        QFETCH(QByteArray, content);
        writeFile(content);
        auto d = fresh();
        QCOMPARE(d->boolForKey(keys::kAutoMatchEnabled), true);
        QVERIFY(!d->loadProblem().isEmpty());
        QVERIFY(d->isDamaged());
        // A reader (tolvo-cli defaults KEY) leaves the file where it is.
        QCOMPARE(QDir(m_dir.path()).entryList({ "defaults.json.damaged-*" }).size(), 0);

        // The first write sets it aside and makes a new, sound file.
        QSignalSpy setAside(d.get(), &Defaults::fileSetAside);
        d->setValue(keys::kShowHelpOnStart, false);
        QVERIFY(d->synchronize());
        QCOMPARE(setAside.size(), 1);
        const QStringList aside = QDir(m_dir.path()).entryList({ "defaults.json.damaged-*" });
        QCOMPARE(aside.size(), 1);
        QCOMPARE(setAside.first().first().toString(), m_dir.filePath(aside.first()));
        QFile kept(m_dir.filePath(aside.first()));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), content);
        QCOMPARE(fileObject().value(keys::kShowHelpOnStart).toBool(true), false);
        QVERIFY(!d->isDamaged());
    }

    void damageWhileRunningKeepsWhatWasRead()
    {
        auto d = fresh();
        d->setValue(keys::kLastSelectedScratchpad, 3);
        QVERIFY(d->synchronize());
        QSignalSpy damaged(d.get(), &Defaults::damaged);
        QSignalSpy changed(d.get(), &Defaults::valueChanged);
        writeFile(R"({"TolvoLastSelectedScratchpad": )");
        // The values held stay, nothing is announced as changed, and the damage is told once.
        QCOMPARE(d->integerForKey(keys::kLastSelectedScratchpad), 3);
        QCOMPARE(d->integerForKey(keys::kLastSelectedScratchpad), 3);
        QCOMPARE(damaged.size(), 1);
        QCOMPARE(changed.size(), 0);
        // Writing puts them back, with the damaged file kept beside.
        QVERIFY(d->synchronize());
        QCOMPARE(fileObject().value(keys::kLastSelectedScratchpad).toInt(), 3);
        QCOMPARE(QDir(m_dir.path()).entryList({ "defaults.json.damaged-*" }).size(), 1);
    }

    void unreadableFileIsNeverOverwritten()
    {
        // A folder where the file should be cannot be read as a file, even by root.
        QVERIFY(QDir().mkpath(path()));
        auto d = fresh();
        QCOMPARE(d->stringForKey(keys::kRedBoxSize), QStringLiteral("Medium"));
        d->setValue(keys::kRedBoxSize, QStringLiteral("Large"));
        QVERIFY(!d->synchronize());
        QVERIFY(!d->writeProblem().isEmpty());
        QVERIFY(QFileInfo(path()).isDir());
        // The value still holds in memory for this run.
        QCOMPARE(d->stringForKey(keys::kRedBoxSize), QStringLiteral("Large"));
    }

    void aHeldLockIsNamedAndWaitedOut()
    {
        // The lock of a live process (this one): the writer gives up after its wait, saying why, and keeps
        // its change for the next try.
        QLockFile held(path() + QStringLiteral(".lock"));
        QVERIFY(held.tryLock(0));
        auto d = fresh();
        d->setLockWait(50);
        d->setValue(keys::kRedBoxSize, QStringLiteral("Large"));
        QVERIFY(!d->synchronize());
        QCOMPARE(d->writeProblem(), QStringLiteral("the file is locked by another process"));
        QVERIFY(!d->updateValue(keys::kRoutingDictionary, [](const QVariant& v) { return v; }));
        QCOMPARE(d->writeProblem(), QStringLiteral("the file is locked by another process"));
        held.unlock();
        QVERIFY(d->synchronize());
        QVERIFY(d->writeProblem().isEmpty());
        QCOMPARE(fileObject().value(keys::kRedBoxSize).toString(), QStringLiteral("Large"));
    }

    void twoStoresKeepEachOthersKeys()
    {
        auto a = fresh();
        auto b = fresh();
        a->setValue(keys::kRedBoxSize, QStringLiteral("Large"));
        b->setValue(keys::kRedBoxLocation, QStringLiteral("Hide"));
        QVERIFY(a->synchronize());
        QVERIFY(b->synchronize());
        const QJsonObject o = fileObject();
        QCOMPARE(o.value(keys::kRedBoxSize).toString(), QStringLiteral("Large"));
        QCOMPARE(o.value(keys::kRedBoxLocation).toString(), QStringLiteral("Hide"));
        QCOMPARE(a->stringForKey(keys::kRedBoxLocation), QStringLiteral("Hide"));
    }

    void updateValueMergesOneDictionary()
    {
        auto a = fresh();
        auto b = fresh();
        QVERIFY(a->dictionaryForKey(keys::kRoutingDictionary).isEmpty());
        auto add = [](const QString& k) {
            return [k](const QVariant& current) {
                QVariantMap m = current.toMap();
                m.insert(k, QStringLiteral("file"));
                return QVariant(m);
            };
        };
        QVERIFY(a->updateValue(keys::kRoutingDictionary, add("one/")));
        QVERIFY(b->updateValue(keys::kRoutingDictionary, add("two/")));
        QCOMPARE(a->dictionaryForKey(keys::kRoutingDictionary).keys(), QStringList({ "one/", "two/" }));
        QVERIFY(a->updateValue(keys::kRoutingDictionary, [](const QVariant&) { return QVariant(); }));
        QVERIFY(!fileObject().contains(keys::kRoutingDictionary));
    }

    void changesAreSignalled()
    {
        auto a = fresh();
        auto b = fresh();
        QSignalSpy spy(a.get(), &Defaults::valueChanged);
        QCOMPARE(a->integerForKey(keys::kLastSelectedScratchpad), 0);
        b->setValue(keys::kLastSelectedScratchpad, 2);
        QVERIFY(b->synchronize());
        QCOMPARE(a->integerForKey(keys::kLastSelectedScratchpad), 2);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.first().first().toString(), QString::fromLatin1(keys::kLastSelectedScratchpad));
    }

    void parseAndFormat_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("formatted");
        QTest::newRow("true") << "TolvoAutoMatchEnabled"
                              << "true" << true << "true";
        QTest::newRow("false") << "TolvoAutoMatchEnabled"
                               << "false" << true << "false";
        QTest::newRow("YES is no boolean") << "TolvoAutoMatchEnabled"
                                           << "YES" << false << "";
        QTest::newRow("integer") << "TolvoLastSelectedScratchpad"
                                 << "3" << true << "3";
        QTest::newRow("integer from text") << "TolvoLastSelectedScratchpad"
                                           << "three" << false << "";
        QTest::newRow("float") << "TolvoSearchSplitViewDividerPosition"
                               << "200.5" << true << "200.5";
        QTest::newRow("nan") << "TolvoSearchSplitViewDividerPosition"
                             << "nan" << false << "";
        QTest::newRow("beyond a float") << "TolvoSearchSplitViewDividerPosition"
                                        << "1e39" << false << "";
        QTest::newRow("string") << "TolvoPDFViewRedBoxSizePref"
                                << "Large" << true << "Large";
        QTest::newRow("dictionary") << "matchingDictionarySandboxed"
                                    << R"({"a":"b.pdf"})" << true << R"({"a":"b.pdf"})";
        QTest::newRow("dictionary from list") << "matchingDictionarySandboxed"
                                              << "[1]" << false << "";
        QTest::newRow("rich text") << "sharedNotes1"
                                   << R"("<b>x</b>\nline")" << true << R"("<b>x</b>\nline")";
        QTest::newRow("rich text unquoted") << "sharedNotes1"
                                            << "<b>x</b>" << false << "";
    }
    void parseAndFormat()
    {
        QFETCH(QString, key);
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(QString, formatted);
        auto d = fresh();
        const auto value = d->parseValue(key, text);
        QCOMPARE(value.has_value(), valid);
        if (valid)
            QCOMPARE(d->formatValue(key, *value), formatted);
    }
};

QTEST_GUILESS_MAIN(TestDefaults)
#include "test_defaults.moc"
