// SPDX-License-Identifier: GPL-3.0-or-later
// A document's prefix: assignment while its window loads, the temporary prefix,
// auto-match, the prefix sheet and storing with its alert and check.
#include "RoutingTestSupport.h"

#include "routing/AutoMatch.h"
#include "routing/DocumentPrefix.h"
#include "routing/FileIdentity.h"
#include "routing/FileReference.h"
#include "routing/RoutingTable.h"

#include <QtTest>

#include <cstdio>

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
        // Stored back and forth within a millisecond or two: the order of storing decides, not the clock.
        for (const char* name : { "first", "second", "first", "second" })
            doc.prefixSheetDidEnd(1, QString::fromLatin1(name));
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

    void autoMatchLeavesOtherPdfsTheirPrefix_data()
    {
        QTest::addColumn<QVariantMap>("matching");
        QTest::addColumn<QStringList>("files"); // opened in this order
        QTest::addColumn<int>("deletedAfter"); // the file of this opening is deleted after it; -1 none
        QTest::addColumn<QStringList>("expected"); // per opening; "" for a temporary prefix
        const QVariantMap report { { "aprefix-1", "report.pdf" } };
        QTest::newRow("one name in two folders, and a longer name")
            << report << QStringList { "dir1/report.pdf", "dir2/report.pdf", "my-old-report.pdf" } << -1
            << QStringList { "aprefix-1/", "", "" };
        QTest::newRow("the first file is gone") << report << QStringList { "dir1/report.pdf", "dir2/report.pdf" } << 0
                                                << QStringList { "aprefix-1/", "aprefix-1/" };
        QTest::newRow("the next key that fits")
            << QVariantMap { { "long", "report.pdf" }, { "short", "ort.pdf" } }
            << QStringList { "dir1/report.pdf", "dir2/report.pdf", "dir3/report.pdf" } << -1
            << QStringList { "long/", "short/", "" };
        QTest::newRow("the same file again") << report << QStringList { "dir1/report.pdf", "dir1/report.pdf" } << -1
                                             << QStringList { "aprefix-1/", "aprefix-1/" };
    }
    void autoMatchLeavesOtherPdfsTheirPrefix()
    {
        QFETCH(QVariantMap, matching);
        QFETCH(QStringList, files);
        QFETCH(int, deletedAfter);
        QFETCH(QStringList, expected);
        TempHome home;
        auto defaults = home.defaults();
        defaults->setValue(kMatching, matching);
        QHash<QString, QString> owner; // prefix -> the file it was given to
        for (int i = 0; i < files.size(); ++i) {
            const QString file = home.path(files[i]);
            if (!QFile::exists(file))
                home.write(files[i], pdfBytes());
            DocumentPrefix doc(*defaults, file);
            doc.assignPrefix();
            if (expected[i].isEmpty()) {
                QCOMPARE(doc.origin(), DocumentPrefix::Origin::Temporary);
            } else {
                QCOMPARE(doc.prefix(), expected[i]);
                owner.insert(expected[i], file);
            }
            if (i == deletedAfter)
                QVERIFY(QFile::remove(file));
        }
        // Every stored prefix still opens the file it was given to.
        RoutingTable routing(*defaults, SearchScope::none());
        for (auto it = owner.cbegin(); it != owner.cend(); ++it)
            QCOMPARE(routing.resolvePrefix(it.key())->filePath, it.value());
    }

    void reopeningRenewsTheReference_data()
    {
        QTest::addColumn<QByteArray>("storedId"); // "" for a PDF without identifier
        QTest::addColumn<QString>("savedAs"); // "same", "none" or "other" identifier
        QTest::addColumn<bool>("routed");
        const QByteArray id = tolvo::test::randomDocumentId();
        QTest::newRow("saved again") << id << "same" << true;
        QTest::newRow("saved again without identifier") << id << "none" << true;
        QTest::newRow("first saved without identifier") << QByteArray() << "other" << true;
        QTest::newRow("another document in its place") << id << "other" << false;
    }
    void reopeningRenewsTheReference()
    {
        QFETCH(QByteArray, storedId);
        QFETCH(QString, savedAs);
        QFETCH(bool, routed);
        TempHome home;
        auto defaults = home.defaults();
        defaults->setValue(QString::fromLatin1(keys::kAutoMatchEnabled), false);
        const QString file = home.write("papers/a.pdf", tolvo::test::minimalPdf(storedId));
        QVERIFY(RoutingTable(*defaults).storePrefix("book/", file).ok());
        const QVariant before = defaults->valueForKey(kRouting);
        const QByteArray newId = savedAs == "same" ? storedId
            : savedAs == "none"                    ? QByteArray()
                                                   : tolvo::test::randomDocumentId();
        const QString saved = home.write("papers/a.pdf.new", tolvo::test::minimalPdf(newId, 9000));
        // Saved as most programs save: a new file renamed over the old one.
        QVERIFY(::rename(QFile::encodeName(saved).constData(), QFile::encodeName(file).constData()) == 0);

        DocumentPrefix doc(*defaults, file);
        doc.assignPrefix();
        QCOMPARE(doc.origin(), routed ? DocumentPrefix::Origin::Routed : DocumentPrefix::Origin::Temporary);
        const auto ref = FileReference::fromVariant(defaults->dictionaryForKey(kRouting).value("book/"));
        QVERIFY(ref);
        QCOMPARE(ref->keptIdentity(*statFile(file)), routed);
        if (!routed)
            QCOMPARE(defaults->valueForKey(kRouting), before); // the other document's entry is left alone
    }

    void firstLinkStoresAPrefix_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QStringList>("stored"); // keys stored for other PDFs
        QTest::addColumn<QStringList>("inUse"); // prefixes of other open documents
        QTest::addColumn<QString>("expected");
        QTest::newRow("the name without .pdf") << "octave.pdf" << QStringList {} << QStringList {} << "octave/";
        QTest::newRow("made prefix-safe")
            << "Smith 2019 - Notes.pdf" << QStringList {} << QStringList {} << "Smith.2019-Notes/";
        QTest::newRow("extension in capitals") << "MANUAL.PDF" << QStringList {} << QStringList {} << "MANUAL/";
        QTest::newRow("non-ASCII name") << QString::fromUtf8("Einführung.pdf") << QStringList {} << QStringList {}
                                        << QString::fromUtf8("Einführung/");
        QTest::newRow("taken by another PDF")
            << "octave.pdf" << QStringList { "octave/" } << QStringList {} << "octave-2/";
        QTest::newRow("taken twice") << "octave.pdf" << QStringList { "octave/", "octave-2/" } << QStringList {}
                                     << "octave-3/";
        QTest::newRow("in use by an open document")
            << "prefix-7.pdf" << QStringList {} << QStringList { "prefix-7/" } << "prefix-7-2/";
        QTest::newRow("nothing usable in the name") << "!!!.pdf" << QStringList {} << QStringList {} << "document/";
    }
    void firstLinkStoresAPrefix()
    {
        QFETCH(QString, fileName);
        QFETCH(QStringList, stored);
        QFETCH(QStringList, inUse);
        QFETCH(QString, expected);
        TempHome home;
        auto defaults = home.defaults();
        defaults->setValue(QString::fromLatin1(keys::kAutoMatchEnabled), false);
        for (const QString& key : stored)
            QVERIFY(RoutingTable(*defaults)
                        .storePrefix(key, home.write("other/" + key.chopped(1) + ".pdf", pdfBytes()))
                        .ok());
        const QString file = home.write("papers/" + fileName, pdfBytes());
        const QSet<QString> open(inUse.cbegin(), inUse.cend());
        Seen seen;
        DocumentPrefix doc(*defaults, file, seen.callbacks());
        doc.assignPrefix(open);
        QCOMPARE(doc.origin(), DocumentPrefix::Origin::Temporary);

        QCOMPARE(doc.prefixForLink(open), expected);
        QCOMPARE(doc.prefix(), expected);
        QCOMPARE(doc.origin(), DocumentPrefix::Origin::Named);
        QVERIFY(!doc.shouldConfirmPrefix());
        QCOMPARE(seen.shown.last(), expected); // the page view shows it, no longer in red
        QCOMPARE(RoutingTable(*defaults).keysForPath(file), QStringList { expected });
        // Later links carry the same prefix and store nothing more.
        const QVariant table = defaults->valueForKey(kRouting);
        QCOMPARE(doc.prefixForLink(open), expected);
        QCOMPARE(defaults->valueForKey(kRouting), table);
        // After a restart the PDF opens with it.
        DocumentPrefix again(*defaults, file);
        again.assignPrefix();
        QCOMPARE(again.prefix(), expected);
        QCOMPARE(again.origin(), DocumentPrefix::Origin::Routed);
    }

    void linksOfAStoredPrefixStoreNothing()
    {
        TempHome home;
        auto defaults = home.defaults();
        const QString file = home.write("a.pdf", pdfBytes());
        QVERIFY(RoutingTable(*defaults).storePrefix("book/", file).ok());
        DocumentPrefix doc(*defaults, file);
        doc.assignPrefix();
        const QVariant table = defaults->valueForKey(kRouting);
        QCOMPARE(doc.prefixForLink(), QStringLiteral("book/"));
        QCOMPARE(defaults->valueForKey(kRouting), table);
    }

    void prefixForTheCommandLine_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("stores");
        QTest::newRow("routed") << "routed.pdf"
                                << "my-route/" << false;
        QTest::newRow("auto-matched") << "Tolvo User Guide.pdf"
                                      << "apphelp/" << true;
        QTest::newRow("from the name") << "Smith 2019 - Notes.pdf"
                                       << "Smith.2019-Notes/" << true;
        QTest::newRow("no usable name") << "!!!"
                                        << "document/" << true;
    }
    void prefixForTheCommandLine()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, expected);
        QFETCH(bool, stores);
        TempHome home;
        auto defaults = home.defaults();
        QVERIFY(RoutingTable(*defaults).storePrefix("my-route/", home.write("routed.pdf", pdfBytes())).ok());
        const QString file = home.path(fileName);
        if (!QFile::exists(file))
            home.write(fileName, pdfBytes());
        const QVariant before = defaults->valueForKey(kRouting);
        QCOMPARE(defaultPrefixForFile(*defaults, file), expected);
        QCOMPARE(defaults->valueForKey(kRouting), before); // showing a prefix stores nothing
        QCOMPARE(linkPrefixForFile(*defaults, file), expected);
        QCOMPARE(defaults->valueForKey(kRouting) != before, stores);
        QCOMPARE(RoutingTable(*defaults).keysForPath(file).contains(expected), true);
    }
};

QTEST_GUILESS_MAIN(TestDocumentPrefix)
#include "test_document_prefix.moc"
