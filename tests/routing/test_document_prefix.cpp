// SPDX-License-Identifier: GPL-3.0-or-later
// A document's prefix: assignment while its window loads, the temporary prefix,
// auto-match, the prefix sheet and storing with its alert and check.
#include "RoutingTestSupport.h"

#include "routing/AutoMatch.h"
#include "routing/DocumentPrefix.h"
#include "routing/RoutingTable.h"

#include <QtTest>

using namespace tolvo;
using tolvo::test::pdfBytes;
using tolvo::test::TempHome;

namespace {

const QString kRouting = QString::fromLatin1(keys::kRoutingDictionary);
const QString kMatching = QString::fromLatin1(keys::kMatchingDictionary);

// What the window layer was asked to do.
struct Seen {
    QStringList alerts;
    int beeps = 0;
    QStringList sheets;
    QStringList shown;
    int checks = 0;

    PrefixCallbacks callbacks()
    {
        PrefixCallbacks c;
        c.alert = [this](const QString& m, const QString& i) { alerts << m + " | " + i; };
        c.beep = [this] { ++beeps; };
        c.showPrefixSheet = [this](const QString& p, const QString& f) { sheets << p + " " + f; };
        c.prefixChanged = [this](const QString& p) { shown << p; };
        c.validate = [this] { ++checks; };
        return c;
    }
};

} // namespace

class TestDocumentPrefix : public QObject {
    Q_OBJECT

private slots:
    void firstOpeningGetsATemporaryPrefix()
    {
        TempHome home;
        auto defaults = home.defaults();
        defaults->setValue(QString::fromLatin1(keys::kAutoMatchEnabled), false);
        const QString file = home.write("a.pdf", pdfBytes());
        QSet<QString> seenPrefixes;
        for (int i = 0; i < 50; ++i) {
            Seen seen;
            DocumentPrefix doc(*defaults, file, seen.callbacks());
            doc.assignPrefix();
            QVERIFY(doc.prefix().startsWith("prefix-") && doc.prefix().endsWith('/'));
            const int n = doc.prefix().mid(7).chopped(1).toInt();
            QVERIFY(n >= 0 && n < 200);
            QVERIFY(doc.shouldConfirmPrefix());
            QCOMPARE(doc.origin(), DocumentPrefix::Origin::Temporary);
            QCOMPARE(seen.shown, QStringList { doc.prefix() });
            seenPrefixes.insert(doc.prefix());
        }
        QVERIFY(seenPrefixes.size() > 1);
        QVERIFY(!defaults->hasUserValue(kRouting)); // never stored
    }

    void temporaryPrefixAvoidsThoseInUse_data()
    {
        QTest::addColumn<QList<int>>("draws");
        QTest::addColumn<QStringList>("taken");
        QTest::addColumn<QString>("expected");
        QTest::newRow("free at once") << QList<int> { 5 } << QStringList {} << "prefix-5/";
        QTest::newRow("drawn again") << QList<int> { 5, 5, 7 } << QStringList { "prefix-5/" } << "prefix-7/";
        QStringList all;
        for (int n = 0; n < 200; ++n)
            all << QStringLiteral("prefix-%1/").arg(n);
        QStringList allButOne = all;
        allButOne.removeAll("prefix-123/");
        QTest::newRow("only one free") << QList<int> { 0 } << allButOne << "prefix-123/";
        QTest::newRow("every one in use") << QList<int> { 0 } << all << "prefix-200/";
        QTest::newRow("out of range draw") << QList<int> { 999 } << QStringList {} << "prefix-199/";
    }
    void temporaryPrefixAvoidsThoseInUse()
    {
        QFETCH(QList<int>, draws);
        QFETCH(QStringList, taken);
        QFETCH(QString, expected);
        int i = 0;
        const auto random = [&](int bound) {
            Q_ASSERT(bound == 200);
            return draws[qMin<qsizetype>(i++, draws.size() - 1)];
        };
        QCOMPARE(temporaryPrefix(QSet<QString>(taken.begin(), taken.end()), random), expected);
    }

    void temporaryPrefixAvoidsOpenDocumentsAndRoutes()
    {
        TempHome home;
        auto defaults = home.defaults();
        defaults->setValue(QString::fromLatin1(keys::kAutoMatchEnabled), false);
        QVERIFY(RoutingTable(*defaults, SearchScope::none())
                    .storePrefix("prefix-3/", home.write("r.pdf", pdfBytes()))
                    .ok());
        DocumentPrefix doc(*defaults, home.write("a.pdf", pdfBytes()));
        QList<int> draws { 1, 3, 1, 9 };
        doc.setRandomSource([&draws](int) { return draws.takeFirst(); });
        doc.assignPrefix({ "prefix-1/" });
        QCOMPARE(doc.prefix(), QStringLiteral("prefix-9/"));
    }

    void routedPdfOpensWithItsPrefix()
    {
        TempHome home;
        auto defaults = home.defaults();
        const QString file = home.write("papers/Tolvo User Guide.pdf", pdfBytes());
        QVERIFY(RoutingTable(*defaults, SearchScope::none()).storePrefix("guide/", file).ok());
        Seen seen;
        DocumentPrefix doc(*defaults, file, seen.callbacks());
        doc.assignPrefix();
        QCOMPARE(doc.prefix(), QStringLiteral("guide/")); // routing wins over auto-match
        QVERIFY(!doc.shouldConfirmPrefix());
        QCOMPARE(doc.origin(), DocumentPrefix::Origin::Routed);
        QCOMPARE(seen.shown, QStringList { "guide/" });
        QCOMPARE(RoutingTable(*defaults).keysForPath(file), QStringList { "guide/" });
    }

    void autoMatch_data()
    {
        QTest::addColumn<QVariantMap>("matching");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("expected"); // "" for a temporary prefix
        const QVariantMap standard { { "apphelp", "Tolvo User Guide.pdf" } };
        QTest::newRow("the user guide") << standard << "Tolvo User Guide.pdf"
                                        << "apphelp/";
        QTest::newRow("the guide in other letter case") << standard << "TOLVO user guide.PDF"
                                                        << "apphelp/";
        QTest::newRow("another file") << standard << "Guide.pdf"
                                      << "";
        const QVariantMap mybook { { "my book", "/old/place/mybook.pdf" } };
        QTest::newRow("suffix without folder boundary") << mybook << "notmybook.pdf"
                                                        << "my.book/";
        QTest::newRow("case ignored") << mybook << "MyBook.PDF"
                                      << "my.book/";
        QTest::newRow("the most specific wins")
            << QVariantMap { { "short", "book.pdf" }, { "long", "mybook.pdf" }, { "zz", "ybook.pdf" } } << "mybook.pdf"
            << "long/";
        QTest::newRow("empty value matches nothing") << QVariantMap { { "all", "" } } << "a.pdf"
                                                     << "";
        QTest::newRow("folder-only value matches nothing") << QVariantMap { { "all", "/" } } << "a.pdf"
                                                           << "";
        QTest::newRow("value not a text") << QVariantMap { { "n", 3 } } << "3"
                                          << "";
        QTest::newRow("key with nothing usable") << QVariantMap { { "!!!", "a.pdf" }, { "ok", "a.pdf" } } << "a.pdf"
                                                 << "ok/";
        QTest::newRow("value ending in slash") << QVariantMap { { "d", "dir/a.pdf/" } } << "a.pdf"
                                               << "d/";
    }
    void autoMatch()
    {
        QFETCH(QVariantMap, matching);
        QFETCH(QString, fileName);
        QFETCH(QString, expected);
        TempHome home;
        auto defaults = home.defaults();
        defaults->setValue(kMatching, matching);
        const QString file = home.write("Downloads/" + fileName, pdfBytes());
        Seen seen;
        DocumentPrefix doc(*defaults, file, seen.callbacks());
        doc.assignPrefix();
        if (expected.isEmpty()) {
            QCOMPARE(doc.origin(), DocumentPrefix::Origin::Temporary);
            return;
        }
        QCOMPARE(doc.prefix(), expected);
        QCOMPARE(doc.origin(), DocumentPrefix::Origin::AutoMatched);
        QVERIFY(!doc.shouldConfirmPrefix());
        // Auto-match stores a routing entry, so the next opening is routed.
        QCOMPARE(RoutingTable(*defaults).keysForPath(file), QStringList { expected });
        QVERIFY(seen.alerts.isEmpty());

        defaults->setValue(QString::fromLatin1(keys::kAutoMatchEnabled), false);
        QCOMPARE(autoMatchPrefix(*defaults, file), std::nullopt);
    }

    void theSheet_data()
    {
        QTest::addColumn<int>("returnCode");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("beeps");
        QTest::newRow("two words") << 1 << "My Notes"
                                   << "My.Notes/" << 0;
        QTest::newRow("with slash") << 1 << "a/b"
                                    << "a/b/" << 0;
        QTest::newRow("nothing usable keeps the prefix") << 1 << "!!! ?"
                                                         << "prefix-4/" << 1;
        QTest::newRow("empty keeps the prefix") << 1 << ""
                                                << "prefix-4/" << 1;
        QTest::newRow("cancelled") << 0 << "My Notes"
                                   << "prefix-4/" << 0;
    }
    void theSheet()
    {
        QFETCH(int, returnCode);
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        QFETCH(int, beeps);
        TempHome home;
        auto defaults = home.defaults();
        defaults->setValue(QString::fromLatin1(keys::kAutoMatchEnabled), false);
        const QString file = home.write("a.pdf", pdfBytes());
        Seen seen;
        DocumentPrefix doc(*defaults, file, seen.callbacks());
        doc.setRandomSource([](int) { return 4; });
        doc.assignPrefix();
        doc.configurePrefix();
        QCOMPARE(seen.sheets, QStringList { "prefix-4/ " + file });
        doc.prefixSheetDidEnd(returnCode, typed);
        QCOMPARE(doc.prefix(), expected);
        QCOMPARE(seen.beeps, beeps);
        const bool stored = expected != QLatin1String("prefix-4/");
        QCOMPARE(RoutingTable(*defaults).keysForPath(file), stored ? QStringList { expected } : QStringList {});
        QCOMPARE(doc.shouldConfirmPrefix(), !stored);
        QCOMPARE(seen.shown.last(), expected);
        QCOMPARE(seen.checks, 0); // automatic checking is off by default
    }

    void oldAndNewPrefixBothOpenThePdf()
    {
        TempHome home;
        auto defaults = home.defaults();
        const QString file = home.write("a.pdf", pdfBytes());
        DocumentPrefix doc(*defaults, file);
        doc.assignPrefix();
        doc.prefixSheetDidEnd(1, "first");
        doc.prefixSheetDidEnd(1, "second");
        RoutingTable routing(*defaults);
        QCOMPARE(routing.keysForPath(file), (QStringList { "first/", "second/" }));
        DocumentPrefix again(*defaults, file);
        again.assignPrefix();
        QCOMPARE(again.prefix(), QStringLiteral("second/"));
    }

    void storingChecksWhenAutomatic()
    {
        TempHome home;
        auto defaults = home.defaults();
        defaults->setValue(QString::fromLatin1(keys::kAutomaticallyValidate), true);
        Seen seen;
        DocumentPrefix doc(*defaults, home.write("a.pdf", pdfBytes()), seen.callbacks());
        QVERIFY(doc.storePrefix("book/"));
        QCOMPARE(seen.checks, 1);
    }

    void storingFailsWithTheAlert()
    {
        TempHome home;
        auto defaults = home.defaults();
        const QString file = home.write("a.pdf", pdfBytes());
        Seen seen;
        DocumentPrefix doc(*defaults, file, seen.callbacks());
        QFile::remove(file);
        QVERIFY(!doc.storePrefix("book/"));
        QCOMPARE(seen.alerts,
            QStringList { "Unable to connect Tolvo prefix to PDF | Tolvo was unable to obtain a secure bookmark to "
                          "access the PDF located at \""
                + file + "\". As a result, following tolvo://book/ links may not open the correct PDF." });
        QCOMPARE(doc.prefix(), QStringLiteral("book/")); // kept while the document is open
        QCOMPARE(seen.shown, QStringList { "book/" });
        QCOMPARE(seen.checks, 0);
        QVERIFY(!defaults->hasUserValue(kRouting));
    }

    void movedPdfKeepsItsPrefix()
    {
        TempHome home;
        auto defaults = home.defaults();
        const QString file = home.write("papers/a.pdf", pdfBytes());
        QVERIFY(RoutingTable(*defaults).storePrefix("book/", file).ok());
        const QString moved = home.move(file, "Documents/renamed.pdf");
        DocumentPrefix doc(*defaults, moved);
        doc.assignPrefix();
        QCOMPARE(doc.prefix(), QStringLiteral("book/"));
        QCOMPARE(doc.origin(), DocumentPrefix::Origin::Routed);
        QCOMPARE(RoutingTable(*defaults).keysForPath(moved), QStringList { "book/" });
    }

    void copyOfARoutedPdfIsNew()
    {
        TempHome home;
        auto defaults = home.defaults();
        defaults->setValue(QString::fromLatin1(keys::kAutoMatchEnabled), false);
        const QString file = home.write("papers/a.pdf", pdfBytes());
        QVERIFY(RoutingTable(*defaults).storePrefix("book/", file).ok());
        const QString copy = home.path("Desktop/a copy.pdf");
        QVERIFY(QFile::copy(file, copy));
        DocumentPrefix doc(*defaults, copy);
        doc.assignPrefix();
        QCOMPARE(doc.origin(), DocumentPrefix::Origin::Temporary);
        QCOMPARE(RoutingTable(*defaults).keysForPath(file), QStringList { "book/" });
    }

    void defaultPrefixForTheCommandLine_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("expected");
        QTest::newRow("routed") << "routed.pdf"
                                << "my-route/";
        QTest::newRow("auto-matched") << "Tolvo User Guide.pdf"
                                      << "apphelp/";
        QTest::newRow("from the name") << "Smith 2019 - Notes.pdf"
                                       << "Smith.2019-Notes.pdf/";
        QTest::newRow("no usable name") << "!!!"
                                        << "document/";
    }
    void defaultPrefixForTheCommandLine()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, expected);
        TempHome home;
        auto defaults = home.defaults();
        QVERIFY(RoutingTable(*defaults).storePrefix("my-route/", home.write("routed.pdf", pdfBytes())).ok());
        const QString file = home.path(fileName);
        if (!QFile::exists(file))
            home.write(fileName, pdfBytes());
        const QVariant before = defaults->valueForKey(kRouting);
        QCOMPARE(defaultPrefixForFile(*defaults, file), expected);
        QCOMPARE(defaults->valueForKey(kRouting), before); // stores nothing
    }
};

QTEST_GUILESS_MAIN(TestDocumentPrefix)
#include "test_document_prefix.moc"
