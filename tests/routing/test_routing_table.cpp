// SPDX-License-Identifier: GPL-3.0-or-later
// The routing table over the defaults store: storing, lookup by path, the
// check with its row filter, and renewal of entries whose file moved.
#include "RoutingTestSupport.h"

#include "routing/FileIdentity.h"
#include "routing/FileReference.h"
#include "routing/RoutingCheck.h"
#include "routing/RoutingTable.h"

#include <QtTest>

using namespace tolvo;
using tolvo::test::pdfBytes;
using tolvo::test::TempHome;

namespace {

const QString kRouting = QString::fromLatin1(keys::kRoutingDictionary);

} // namespace

class TestRoutingTable : public QObject {
    Q_OBJECT

private slots:
    void storeWritesAtOnce()
    {
        TempHome home;
        auto defaults = home.defaults();
        const QString file = home.write(QStringLiteral("papers/a.pdf"), pdfBytes());
        RoutingTable routing(*defaults, home.scope());
        QVERIFY(routing.storePrefix(QStringLiteral("book/"), file).ok());

        // Another process (a fresh store over the same file) sees it without any further flush.
        auto other = home.defaults();
        const QVariantMap table = other->dictionaryForKey(kRouting);
        QCOMPARE(table.keys(), QStringList { "book/" });
        QCOMPARE(bookmarkPath(table.value("book/")), file);
    }

    void storeKeepsWhatOthersWrote()
    {
        TempHome home;
        auto first = home.defaults();
        auto second = home.defaults();
        const QString a = home.write(QStringLiteral("a.pdf"), pdfBytes());
        const QString b = home.write(QStringLiteral("b.pdf"), pdfBytes());
        QCOMPARE(first->dictionaryForKey(kRouting).size(), 0);
        QCOMPARE(second->dictionaryForKey(kRouting).size(), 0);
        // Both stores read the empty table before either wrote.
        QVERIFY(RoutingTable(*first, SearchScope::none()).storePrefix("a/", a).ok());
        QVERIFY(RoutingTable(*second, SearchScope::none()).storePrefix("b/", b).ok());
        QCOMPARE(home.defaults()->dictionaryForKey(kRouting).keys(), (QStringList { "a/", "b/" }));
    }

    void storeRefusesWhatIsNoFile()
    {
        TempHome home;
        auto defaults = home.defaults();
        RoutingTable routing(*defaults, SearchScope::none());
        const auto r = routing.storePrefix("book/", home.path("gone.pdf"));
        QCOMPARE(r.failure, RoutingTable::StoreResult::Failure::Reference);
        QVERIFY(!r.error.isEmpty());
        QVERIFY(!routing.storePrefix(QString(), home.write("a.pdf", pdfBytes())).ok());
        QVERIFY(!defaults->hasUserValue(kRouting));
    }

    void lookupComparesPathsAsText_data()
    {
        QTest::addColumn<QString>("opened"); // relative to home
        QTest::addColumn<bool>("found");
        QTest::newRow("same path") << "papers/Book.pdf" << true;
        QTest::newRow("other letter case") << "papers/book.pdf" << false;
        QTest::newRow("through a symbolic link") << "linked/Book.pdf" << false;
        QTest::newRow("another file") << "papers/Other.pdf" << false;
    }
    void lookupComparesPathsAsText()
    {
        QFETCH(QString, opened);
        QFETCH(bool, found);
        TempHome home;
        auto defaults = home.defaults();
        const QString file = home.write("papers/Book.pdf", pdfBytes());
        home.write("papers/book.pdf", pdfBytes());
        home.write("papers/Other.pdf", pdfBytes());
        QVERIFY(QFile::link(home.path("papers"), home.path("linked")));
        RoutingTable routing(*defaults, SearchScope::none());
        QVERIFY(routing.storePrefix("book/", file).ok());
        QCOMPARE(routing.keysForPath(home.path(opened)).isEmpty(), !found);
        QVERIFY(routing.keysForMovedFile(home.path(opened)).isEmpty());
    }

    void severalKeysPreferTheLatest()
    {
        TempHome home;
        auto defaults = home.defaults();
        const QString file = home.write("a.pdf", pdfBytes());
        RoutingTable routing(*defaults, SearchScope::none());
        QVERIFY(routing.storePrefix("zz-first/", file).ok());
        const QDateTime first = QDateTime::currentDateTimeUtc();
        QTRY_VERIFY(QDateTime::currentDateTimeUtc() > first); // the second is stored later
        QVERIFY(routing.storePrefix("aa-second/", file).ok());
        const QStringList keys = routing.keysForPath(file);
        QCOMPARE(keys, (QStringList { "aa-second/", "zz-first/" }));
        QCOMPARE(routing.preferredKey(keys), QStringLiteral("aa-second/"));
        QCOMPARE(routing.preferredKey({}), std::nullopt);
    }

    void choosingATakenPrefixMovesIt()
    {
        TempHome home;
        auto defaults = home.defaults();
        const QString a = home.write("a.pdf", pdfBytes());
        const QString b = home.write("b.pdf", pdfBytes());
        RoutingTable routing(*defaults, SearchScope::none());
        QVERIFY(routing.storePrefix("book/", a).ok());
        QVERIFY(routing.storePrefix("a-too/", a).ok());
        QVERIFY(routing.storePrefix("book/", b).ok());
        QCOMPARE(routing.keysForPath(b), QStringList { "book/" });
        QCOMPARE(routing.keysForPath(a), QStringList { "a-too/" });
    }

    void checkMarksWhatIsNotReached()
    {
        TempHome home;
        auto defaults = home.defaults();
        const QString ok = home.write("papers/ok.pdf", pdfBytes());
        const QString gone = home.write("papers/gone.pdf", pdfBytes());
        const QString moved = home.write("papers/moved.pdf", pdfBytes());
        const QString stale = home.write("papers/stale.pdf", pdfBytes());
        RoutingTable routing(*defaults, home.scope());
        for (const auto& [key, file] :
            { std::pair { "ok/", ok }, { "gone/", gone }, { "moved/", moved }, { "stale/", stale } })
            QVERIFY(routing.storePrefix(QString::fromLatin1(key), file).ok());
        defaults->updateValue(kRouting, [](const QVariant& v) {
            QVariantMap m = v.toMap();
            m.insert("damaged/", QStringLiteral("{ not a reference"));
            return QVariant(m);
        });
        QVERIFY(QFile::remove(gone));
        const QString movedTo = home.move(moved, "Documents/kept/moved.pdf");
        QVERIFY(QFile::remove(stale));
        home.write("papers/stale.pdf", pdfBytes());

        RoutingCheck check(*defaults, home.scope());
        int redraws = 0;
        check.onChecked = [&redraws] { ++redraws; };
        check.validateRoutingDictionary();
        QCOMPARE(redraws, 1);
        QCOMPARE(check.invalidPrefixList(), (QStringList { "damaged/", "gone/", "stale/" }));
        QCOMPARE(check.invalidPathsList(), (QStringList { "", gone, stale }));
        // The moved file's entry now names its new place, for this and every later process.
        QCOMPARE(home.defaults()->dictionaryForKey(kRouting).value("moved/").toMap().value("path").toString(), movedTo);
        QCOMPARE(routing.keysForPath(movedTo), QStringList { "moved/" });

        // With a search filter in force only the listed rows are checked; the lists are replaced.
        check.validateRoutingDictionary([](const QString& prefix, const QString&) { return prefix.startsWith('g'); });
        QCOMPARE(check.invalidPrefixList(), QStringList { "gone/" });
        QCOMPARE(check.invalidPathsList(), QStringList { gone });
        check.validateRoutingDictionary([](const QString&, const QString& path) { return path.contains("ok"); });
        QVERIFY(check.invalidPrefixList().isEmpty());
        QCOMPARE(redraws, 3);
    }

    void automaticCheckFollowsTheSetting()
    {
        TempHome home;
        auto defaults = home.defaults();
        RoutingCheck check(*defaults, SearchScope::none());
        QVERIFY(!check.validateIfAutomatic());
        defaults->setValue(QString::fromLatin1(keys::kAutomaticallyValidate), true);
        QVERIFY(check.validateIfAutomatic());
    }

    void renewKeepsAnEntryChangedMeanwhile()
    {
        TempHome home;
        auto defaults = home.defaults();
        const QString a = home.write("papers/a.pdf", pdfBytes());
        const QString c = home.write("papers/c.pdf", pdfBytes());
        RoutingTable routing(*defaults, home.scope());
        QVERIFY(routing.storePrefix("book/", a).ok());
        home.move(a, "Documents/a.pdf");
        QList<RoutingTable::Entry> entries = routing.resolveEntries();
        QCOMPARE(entries.constFirst().resolved.state, ReferenceState::Moved);
        // Someone assigns book/ to another PDF before an older renewal is written.
        QVERIFY(routing.storePrefix("book/", c).ok());
        QVERIFY(routing.renew(entries));
        QCOMPARE(routing.keysForPath(c), QStringList { "book/" });
    }

    // What a search keys the file's text index by: that of the file as it is now, whatever
    // happened to it since its prefix was stored.
    void documentIdentityFollowsTheFile_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("untouched") << "none";
        QTest::newRow("written over in place") << "in place";
        QTest::newRow("saved again as a new file") << "replaced";
        QTest::newRow("moved") << "moved";
    }
    void documentIdentityFollowsTheFile()
    {
        QFETCH(QString, change);
        TempHome home;
        auto defaults = home.defaults();
        const QByteArray id = test::randomDocumentId();
        QString a = home.write("papers/a.pdf", test::minimalPdf(id));
        RoutingTable routing(*defaults, home.scope());
        QVERIFY(routing.storePrefix("book/", a).ok());
        // The same document with other content.
        const QByteArray edited = test::minimalPdf(id, 6000);
        if (change == QLatin1String("in place")) {
            QFile file(a);
            QVERIFY(file.open(QIODevice::ReadWrite | QIODevice::Truncate));
            QCOMPARE(file.write(edited), edited.size());
        } else if (change == QLatin1String("replaced")) {
            const QString saved = home.write("papers/a.pdf.new", edited);
            QVERIFY(QFile::remove(a));
            QVERIFY(QFile::rename(saved, a));
        } else if (change == QLatin1String("moved")) {
            a = home.move(a, "Documents/a.pdf");
        }
        const QList<RoutingTable::Entry> entries = routing.resolveEntries();
        QCOMPARE(entries.size(), 1);
        QCOMPARE(entries.constFirst().resolved.filePath, a);
        const auto [documentId, fingerprint] = entries.constFirst().documentIdentity();
        QCOMPARE(documentId, permanentIdOf(a));
        QCOMPARE(fingerprint, contentFingerprint(a));
    }

    void resolvePrefix()
    {
        TempHome home;
        auto defaults = home.defaults();
        const QString a = home.write("papers/a.pdf", pdfBytes());
        RoutingTable routing(*defaults, home.scope());
        QVERIFY(routing.storePrefix("book/", a).ok());
        const QString renamed = home.move(a, "papers/renamed.pdf");
        QCOMPARE(routing.resolvePrefix("book/")->filePath, renamed);
        QCOMPARE(routing.resolvePrefix("book/")->state, ReferenceState::Ok);
        QVERIFY(!routing.resolvePrefix("other/"));
    }
};

QTEST_GUILESS_MAIN(TestRoutingTable)
#include "test_routing_table.moc"
