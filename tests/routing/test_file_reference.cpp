// SPDX-License-Identifier: GPL-3.0-or-later
// File references: made for a file, read back without touching it, and resolved
// after the file was left alone, edited, moved, renamed, replaced or deleted.
#include "RoutingTestSupport.h"

#include "routing/FileIdentity.h"
#include "routing/FileReference.h"
#include "routing/ReferenceResolver.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

#include <cstdio>

using namespace tolvo;
using tolvo::test::idInMinimalPdf;
using tolvo::test::minimalPdf;
using tolvo::test::pdfBytes;
using tolvo::test::TempHome;

enum class Change {
    None,
    EditedInPlace,
    MovedToOtherFolder,
    RenamedInPlace,
    FolderRenamed,
    ReplacedByRename,
    DeletedAndRecreated,
    ReplacedAndOriginalMoved,
    CopiedThenDeleted,
    CopyNearbyOriginalMovedFar,
    Deleted,
    MovedOutOfHome,
    SameSizeOtherContent,
    SavedAgain,
    SavedAgainWithoutIds,
    SavedAgainDroppingTheId,
    RecreatedWithSameBytes,
    ReplacedByNonPdf,
    MovedThenSavedAgain,
    OtherDocumentOfSameNameElsewhere,
};
Q_DECLARE_METATYPE(Change)

class TestFileReference : public QObject {
    Q_OBJECT

private slots:
    // Opening a window asks for a PDF's identifier several times; the file is parsed once per
    // version of it, and not at all when the open document told it already.
    void permanentIdReadOncePerVersion_data()
    {
        QTest::addColumn<bool>("noted");
        QTest::addColumn<bool>("changedAfterNote");
        QTest::addColumn<bool>("rewritten");
        QTest::addColumn<int>("reads");
        QTest::newRow("asked twice") << false << false << false << 1;
        QTest::newRow("rewritten between") << false << false << true << 2;
        QTest::newRow("told by the open document") << true << false << false << 0;
        QTest::newRow("changed while it was told") << true << true << false << 1;
    }
    void permanentIdReadOncePerVersion()
    {
        QFETCH(bool, noted);
        QFETCH(bool, changedAfterNote);
        QFETCH(bool, rewritten);
        QFETCH(int, reads);
        TempHome home;
        int calls = 0;
        setPermanentIdReader([&calls](const QString& path) {
            ++calls;
            QFile f(path);
            return f.open(QIODevice::ReadOnly) ? idInMinimalPdf(f.readAll()) : QByteArray();
        });
        const QString file = home.write(QStringLiteral("a.pdf"), minimalPdf(QByteArray("first").toHex(), 2000));
        if (noted) {
            const std::optional<FileStat> before = statFile(file);
            QVERIFY(before);
            if (changedAfterNote)
                home.write(QStringLiteral("a.pdf"), minimalPdf(QByteArray("first").toHex(), 3000));
            notePermanentId(file, *before, QByteArray("first").toHex());
        }
        const QByteArray first = permanentIdOf(file);
        if (rewritten)
            home.write(QStringLiteral("a.pdf"), minimalPdf(QByteArray("second").toHex(), 3000));
        const QByteArray second = permanentIdOf(file);
        QCOMPARE(calls, reads);
        QCOMPARE(second, QByteArray(rewritten ? "second" : "first").toHex());
        QCOMPARE(first, QByteArray("first").toHex());
    }

    void readsBackWithoutTheFile()
    {
        TempHome home;
        const QString file = home.write(QStringLiteral("papers/Smith 2019.pdf"), pdfBytes());
        const auto ref = FileReference::make(file);
        QVERIFY(ref);
        const QByteArray data = ref->toData();
        QFile::remove(file);

        QCOMPARE(bookmarkPath(QVariant(data)), file);
        QCOMPARE(fullPathFromBookmarkData(QVariant(data)), file);
        QCOMPARE(URLPathStringFromBookmarkData(ref->toVariant()).toString(), file);
        QCOMPARE(FileReference::fromData(data)->toData(), data);
        // What the settings file gives back: numbers as doubles, the map nested.
        const QVariant roundTrip = QJsonDocument::fromJson(data).object().toVariantMap();
        QCOMPARE(FileReference::fromVariant(roundTrip)->toData(), data);
    }

    void withoutFolder()
    {
        TempHome home;
        auto ref = FileReference::make(home.write(QStringLiteral("a.pdf"), pdfBytes()));
        QVERIFY(ref);
        ref->folder.clear();
        QCOMPARE(bookmarkPath(ref->toVariant()), QStringLiteral("/a.pdf"));
        QCOMPARE(fullPathFromBookmarkData(ref->toVariant()), std::nullopt);
        QVERIFY(!URLPathStringFromBookmarkData(ref->toVariant()).isValid());
        QVERIFY(!URLPathStringFromBookmarkData(QVariant()).isValid());
    }

    void makeRefusesWhatIsNoFile_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::newRow("missing") << "nothing.pdf";
        QTest::newRow("folder") << "Documents";
        QTest::newRow("empty path") << "";
    }
    void makeRefusesWhatIsNoFile()
    {
        QFETCH(QString, relative);
        TempHome home;
        QString why;
        QVERIFY(!FileReference::make(relative.isEmpty() ? QString() : home.path(relative), &why));
        QVERIFY(!why.isEmpty());
    }

    void damagedDataMatchesNothing_data()
    {
        QTest::addColumn<QVariant>("data");
        TempHome home;
        const QVariantMap good = FileReference::make(home.write(QStringLiteral("a.pdf"), pdfBytes()))->toVariant();
        const auto with = [&good](const QString& key, const QVariant& value) {
            QVariantMap m = good;
            if (value.isValid())
                m.insert(key, value);
            else
                m.remove(key);
            return QVariant(m);
        };
        QTest::newRow("nothing") << QVariant();
        QTest::newRow("not JSON") << QVariant(QByteArray("{\"name\": \"a.pdf\""));
        QTest::newRow("JSON array") << QVariant(QByteArray("[1,2]"));
        QTest::newRow("a number") << QVariant(42);
        QTest::newRow("empty object") << QVariant(QVariantMap());
        QTest::newRow("no name") << with("name", QVariant());
        QTest::newRow("empty name") << with("name", QString());
        QTest::newRow("name as number") << with("name", 7);
        QTest::newRow("name with slash") << with("name", QStringLiteral("x/a.pdf"));
        QTest::newRow("name dot-dot") << with("name", QStringLiteral(".."));
        QTest::newRow("relative folder") << with("folder", QStringLiteral("papers"));
        QTest::newRow("path disagrees") << with("path", QStringLiteral("/elsewhere/a.pdf"));
        QTest::newRow("no inode") << with("inode", QVariant());
        QTest::newRow("inode as word") << with("inode", QStringLiteral("many"));
        QTest::newRow("negative size") << with("size", -1);
        QTest::newRow("fractional size") << with("size", 1.5);
        QTest::newRow("size as text") << with("size", QStringLiteral("12"));
        QTest::newRow("bad time") << with("modified", QStringLiteral("yesterday"));
        QTest::newRow("short fingerprint") << with("fingerprint", QStringLiteral("abc"));
        QTest::newRow("bad birth") << with("born", 3);
        QTest::newRow("identifier not hex") << with("documentId", QStringLiteral("not hex!"));
        QTest::newRow("identifier of odd length") << with("documentId", QStringLiteral("abc"));
        QTest::newRow("identifier empty") << with("documentId", QString());
        QTest::newRow("identifier as number") << with("documentId", 12);
    }
    void damagedDataMatchesNothing()
    {
        QFETCH(QVariant, data);
        QVERIFY(!FileReference::fromVariant(data));
        QCOMPARE(bookmarkPath(data), std::nullopt);
        QCOMPARE(fullPathFromBookmarkData(data), std::nullopt);
        const ResolvedReference r = resolveFileReference(data, SearchScope::none());
        QCOMPARE(r.state, ReferenceState::Invalid);
        QVERIFY(r.filePath.isEmpty());
    }

    void resolution_data()
    {
        QTest::addColumn<Change>("change");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("foundAt"); // below home; "" for nowhere
        QTest::addColumn<bool>("renewed"); // the reference learns the file's new identity
        const QString orig = QStringLiteral("papers/a.pdf");
        QTest::newRow("unchanged") << Change::None << "ok" << orig << false;
        QTest::newRow("edited in place") << Change::EditedInPlace << "ok" << orig << false;
        QTest::newRow("moved to another folder") << Change::MovedToOtherFolder << "moved"
                                                 << "Documents/archive/2019/a.pdf" << true;
        QTest::newRow("renamed in place") << Change::RenamedInPlace << "moved"
                                          << "papers/Smith 2019 - a.pdf" << true;
        QTest::newRow("folder renamed") << Change::FolderRenamed << "moved"
                                        << "articles/a.pdf" << true;
        QTest::newRow("replaced by rename") << Change::ReplacedByRename << "stale"
                                            << "" << false;
        QTest::newRow("deleted and recreated") << Change::DeletedAndRecreated << "stale"
                                               << "" << false;
        QTest::newRow("replaced, original moved") << Change::ReplacedAndOriginalMoved << "moved"
                                                  << "Downloads/x.pdf" << true;
        QTest::newRow("copied, then deleted") << Change::CopiedThenDeleted << "moved"
                                              << "Desktop/copy.pdf" << true;
        QTest::newRow("identity beats a nearer copy") << Change::CopyNearbyOriginalMovedFar << "moved"
                                                      << "Documents/deep/er/a.pdf" << true;
        QTest::newRow("deleted") << Change::Deleted << "missing"
                                 << "" << false;
        QTest::newRow("moved out of home") << Change::MovedOutOfHome << "missing"
                                           << "" << false;
        QTest::newRow("same size, other content") << Change::SameSizeOtherContent << "missing"
                                                  << "" << false;
        // Saved again: a new file renamed over the old one, as most programs save.
        QTest::newRow("saved again, identifier kept") << Change::SavedAgain << "ok" << orig << true;
        QTest::newRow("saved again, no identifiers") << Change::SavedAgainWithoutIds << "ok" << orig << true;
        QTest::newRow("saved again, identifier dropped") << Change::SavedAgainDroppingTheId << "ok" << orig << true;
        QTest::newRow("recreated with the same bytes") << Change::RecreatedWithSameBytes << "ok" << orig << true;
        QTest::newRow("replaced by no PDF") << Change::ReplacedByNonPdf << "stale"
                                            << "" << false;
        QTest::newRow("moved, then saved again") << Change::MovedThenSavedAgain << "moved"
                                                 << "Documents/a.pdf" << true;
        QTest::newRow("another document of the same name") << Change::OtherDocumentOfSameNameElsewhere << "missing"
                                                           << "" << false;
    }
    void resolution()
    {
        QFETCH(Change, change);
        QFETCH(QString, state);
        QFETCH(QString, foundAt);
        QFETCH(bool, renewed);
        TempHome home;
        QTemporaryDir outside;
        const bool withoutId = change == Change::SavedAgainWithoutIds;
        const QByteArray content = withoutId ? minimalPdf({}, 200 * 1024) : pdfBytes(200 * 1024);
        const QByteArray id = idInMinimalPdf(content);
        const QString orig = home.write(QStringLiteral("papers/a.pdf"), content);
        const QVariantMap data = FileReference::make(orig)->toVariant();

        switch (change) {
        case Change::None:
            break;
        case Change::EditedInPlace: {
            if (!statFile(orig)->bornMs)
                QSKIP("this file system keeps no birth times");
            QFile f(orig);
            QVERIFY(f.open(QIODevice::Append));
            f.write("% saved annotations\n");
            break;
        }
        case Change::MovedToOtherFolder:
            home.move(orig, QStringLiteral("Documents/archive/2019/a.pdf"));
            break;
        case Change::RenamedInPlace:
            home.move(orig, QStringLiteral("papers/Smith 2019 - a.pdf"));
            break;
        case Change::FolderRenamed:
            QVERIFY(QDir(home.path()).rename("papers", "articles"));
            break;
        case Change::ReplacedByRename: {
            const QString other = home.write(QStringLiteral("papers/new.pdf"), pdfBytes(content.size()));
            QVERIFY(::rename(QFile::encodeName(other).constData(), QFile::encodeName(orig).constData()) == 0);
            break;
        }
        case Change::DeletedAndRecreated:
            QVERIFY(QFile::remove(orig));
            home.write(QStringLiteral("papers/a.pdf"), pdfBytes(content.size()));
            break;
        case Change::ReplacedAndOriginalMoved:
            home.move(orig, QStringLiteral("Downloads/x.pdf"));
            home.write(QStringLiteral("papers/a.pdf"), pdfBytes(content.size()));
            break;
        case Change::CopiedThenDeleted:
            QVERIFY(QFile::copy(orig, home.path(QStringLiteral("Desktop/copy.pdf"))));
            QVERIFY(QFile::remove(orig));
            break;
        case Change::CopyNearbyOriginalMovedFar:
            QVERIFY(QFile::copy(orig, home.path(QStringLiteral("papers/copy.pdf"))));
            home.move(orig, QStringLiteral("Documents/deep/er/a.pdf"));
            break;
        case Change::Deleted:
            QVERIFY(QFile::remove(orig));
            break;
        case Change::MovedOutOfHome:
            QVERIFY(QFile::copy(orig, outside.filePath(QStringLiteral("a.pdf"))));
            QVERIFY(QFile::remove(orig));
            break;
        case Change::SameSizeOtherContent:
            QVERIFY(QFile::remove(orig));
            home.write(QStringLiteral("Documents/a.pdf"), pdfBytes(content.size()));
            break;
        case Change::SavedAgain:
        case Change::SavedAgainWithoutIds:
        case Change::SavedAgainDroppingTheId:
        case Change::RecreatedWithSameBytes:
        case Change::ReplacedByNonPdf: {
            const QByteArray saved = change == Change::SavedAgain ? minimalPdf(id, 150 * 1024)
                : change == Change::RecreatedWithSameBytes        ? content
                : change == Change::ReplacedByNonPdf              ? QByteArray("plain text, no PDF\n")
                                                                  : minimalPdf({}, 150 * 1024);
            const QString other = home.write(QStringLiteral("papers/.a.pdf.part"), saved);
            QVERIFY(::rename(QFile::encodeName(other).constData(), QFile::encodeName(orig).constData()) == 0);
            break;
        }
        case Change::MovedThenSavedAgain:
            QVERIFY(QFile::remove(orig));
            home.write(QStringLiteral("Documents/a.pdf"), minimalPdf(id, 150 * 1024));
            break;
        case Change::OtherDocumentOfSameNameElsewhere:
            QVERIFY(QFile::remove(orig));
            home.write(QStringLiteral("Documents/a.pdf"), pdfBytes(150 * 1024));
            break;
        }

        const ResolvedReference r = resolveFileReference(data, home.scope());
        QCOMPARE(referenceStateName(r.state), state);
        QCOMPARE(r.recordedPath, orig);
        QCOMPARE(r.filePath, foundAt.isEmpty() ? QString() : home.path(foundAt));
        QCOMPARE(r.found(), !foundAt.isEmpty());
        QCOMPARE(bool(r.renewed), renewed);
        if (r.renewed) {
            QCOMPARE(r.renewed->path(), r.filePath);
            QCOMPARE(r.renewed->assigned, FileReference::fromVariant(data)->assigned);
            // The renewed reference names the file as it is now, without a search or a second look.
            const auto now = statFile(r.filePath);
            QVERIFY(now && r.renewed->keptIdentity(*now));
            QCOMPARE(resolveFileReference(r.renewed->toVariant(), SearchScope::none()).state, ReferenceState::Ok);
        }
    }

    void manyMovedFilesInOneSearch()
    {
        TempHome home;
        QVariantList data;
        for (int i = 0; i < 3; ++i) {
            const QString file = home.write(QStringLiteral("papers/p%1.pdf").arg(i), pdfBytes());
            data.append(FileReference::make(file)->toVariant());
            home.move(file, QStringLiteral("Downloads/sub%1/p%1.pdf").arg(i));
        }
        data.append(QVariant(QStringLiteral("damaged")));
        const QList<ResolvedReference> r = resolveFileReferences(data, home.scope());
        QCOMPARE(r.size(), 4);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(r[i].filePath, home.path(QStringLiteral("Downloads/sub%1/p%1.pdf").arg(i)));
        QCOMPARE(r[3].state, ReferenceState::Invalid);
    }

    void noSearchWithoutScope()
    {
        TempHome home;
        const QString file = home.write(QStringLiteral("papers/a.pdf"), pdfBytes());
        const QVariantMap data = FileReference::make(file)->toVariant();
        home.move(file, QStringLiteral("papers/b.pdf"));
        QCOMPARE(resolveFileReference(data, SearchScope::none()).state, ReferenceState::Missing);
    }

    void symbolicLinkKeepsItsPath()
    {
        TempHome home;
        const QString file = home.write(QStringLiteral("papers/a.pdf"), pdfBytes());
        const QString link = home.path(QStringLiteral("Desktop/a.pdf"));
        QVERIFY(QFile::link(file, link));
        const auto ref = FileReference::make(link);
        QVERIFY(ref);
        QCOMPARE(ref->path(), link);
        QCOMPARE(resolveFileReference(ref->toVariant(), SearchScope::none()).state, ReferenceState::Ok);
    }
};

QTEST_GUILESS_MAIN(TestFileReference)
#include "test_file_reference.moc"
