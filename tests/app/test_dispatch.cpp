// SPDX-License-Identifier: GPL-3.0-or-later
// Where incoming URLs lead, and becoming the handler of tolvo:// links.
#include "support/MinimalPdf.h"

#include "app/DesktopIntegration.h"
#include "pdf/DocumentId.h"
#include "routing/FileIdentity.h"
#include "routing/RoutingTable.h"
#include "routing/UrlDispatch.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace tolvo;

class TestDispatch : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString makeFile(const QString& name, const QByteArray& content)
    {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(content);
        return path;
    }

private slots:
    void initTestCase()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.filePath("config")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.filePath("data")));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(m_dir.filePath("nowhere")));
        setPermanentIdReader(pdf::permanentDocumentId);
    }

    void decisions_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QStringList>("open");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("file"); // the file opened, for "file"
        QTest::newRow("open document at once")
            << "tolvo://book/12/" << QStringList { "book/" } << "document" << 0 << "12/"
            << "";
        QTest::newRow("open documents before routing keys")
            << "tolvo://routed/3/" << QStringList { "other/", "routed/" } << "document" << 1 << "3/"
            << "";
        QTest::newRow("the longest open prefix wins")
            << "tolvo://book/x/3/" << QStringList { "book/", "book/x/" } << "document" << 1 << "3/"
            << "";
        QTest::newRow("first of equal open prefixes")
            << "tolvo://book/3/" << QStringList { "book/", "book/" } << "document" << 0 << "3/"
            << "";
        QTest::newRow("whole-PDF link") << "tolvo://book/" << QStringList { "book/" } << "document" << 0 << ""
                                        << "";
        QTest::newRow("routed file") << "tolvo://routed/iv/@loc/72x/541y/" << QStringList {} << "file" << -1
                                     << "iv/@loc/72x/541y/"
                                     << "routed.pdf";
        QTest::newRow("the longest routing key wins")
            << "tolvo://routed/deeper/3/" << QStringList {} << "file" << -1 << "3/"
            << "deeper.pdf";
        QTest::newRow("a closed longer key beats an open shorter prefix")
            << "tolvo://routed/deeper/3/" << QStringList { "routed/" } << "file" << -1 << "3/"
            << "deeper.pdf";
        QTest::newRow("an open longer prefix beats a shorter key")
            << "tolvo://routed/deeper/3/" << QStringList { "routed/deeper/" } << "document" << 0 << "3/"
            << "";
        QTest::newRow("an open prefix beats an equal key")
            << "tolvo://routed/3/" << QStringList { "routed/" } << "document" << 0 << "3/"
            << "";
        QTest::newRow("case counts") << "TOLVO://routed/3/" << QStringList {} << "none" << -1 << ""
                                     << "";
        QTest::newRow("prefix case counts") << "tolvo://Routed/3/" << QStringList {} << "none" << -1 << ""
                                            << "";
        QTest::newRow("unknown prefix") << "tolvo://nosuch/1/" << QStringList { "book/" } << "none" << -1 << ""
                                        << "";
        QTest::newRow("gone file") << "tolvo://gone/1/" << QStringList {} << "none" << -1 << "1/"
                                   << "";
        QTest::newRow("another document in its place")
            << "tolvo://replaced/1/" << QStringList {} << "none" << -1 << "1/"
            << "";
        QTest::newRow("saved again in its place") << "tolvo://resaved/1/" << QStringList {} << "file" << -1 << "1/"
                                                  << "resaved.pdf";
        QTest::newRow("a shorter key is not tried when the longest finds nothing")
            << "tolvo://routed/gone/1/" << QStringList {} << "none" << -1 << "1/"
            << "";
    }
    void decisions()
    {
        QFETCH(QString, url);
        QFETCH(QStringList, open);
        QFETCH(QString, kind);
        QFETCH(int, index);
        QFETCH(QString, target);
        QFETCH(QString, file);

        using test::minimalPdf;
        using test::randomDocumentId;
        QFile::remove(m_dir.filePath("defaults.json"));
        Defaults defaults(m_dir.filePath("defaults.json"));
        registerTolvoDefaults(defaults);
        RoutingTable routing(defaults, SearchScope::none());
        const QByteArray resavedId = randomDocumentId();
        const QString gone = makeFile("gone.pdf", minimalPdf(randomDocumentId()));
        const QString replaced = makeFile("replaced.pdf", minimalPdf(randomDocumentId()));
        const QString resaved = makeFile("resaved.pdf", minimalPdf(resavedId));
        QVERIFY(routing.storePrefix("routed/", makeFile("routed.pdf", minimalPdf(randomDocumentId()))).ok());
        QVERIFY(routing.storePrefix("routed/deeper/", makeFile("deeper.pdf", minimalPdf(randomDocumentId()))).ok());
        QVERIFY(routing.storePrefix("routed/gone/", gone).ok());
        QVERIFY(routing.storePrefix("gone/", gone).ok());
        QVERIFY(routing.storePrefix("replaced/", replaced).ok());
        QVERIFY(routing.storePrefix("resaved/", resaved).ok());
        QFile::remove(gone);
        QFile::remove(replaced);
        makeFile("replaced.pdf", minimalPdf(randomDocumentId(), 6000));
        QFile::remove(resaved);
        makeFile("resaved.pdf", minimalPdf(resavedId, 6000));

        const DispatchDecision d = decideDispatch(url, open, routing);
        const QString got = d.kind == DispatchDecision::Kind::OpenDocument ? "document"
            : d.kind == DispatchDecision::Kind::OpenFile                   ? "file"
                                                                           : "none";
        QCOMPARE(got, kind);
        QCOMPARE(d.documentIndex, index);
        QCOMPARE(d.target, target);
        QCOMPARE(d.filePath, file.isEmpty() ? QString() : m_dir.filePath(file));
    }

    void percentDecoding_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("decoded");
        QTest::newRow("blank") << "tolvo://b/Appendix%20A/"
                               << "tolvo://b/Appendix A/";
        QTest::newRow("utf-8") << "tolvo://b/einf%C3%BChrung/" << QString::fromUtf8("tolvo://b/einführung/");
        QTest::newRow("nothing to decode") << "tolvo://b/12/"
                                           << "tolvo://b/12/";
        QTest::newRow("stray percent") << "tolvo://b/100%/"
                                       << "tolvo://b/100%/";
        QTest::newRow("percent before no hex digits") << "tolvo://m/%@loc12/%zz"
                                                      << "tolvo://m/%@loc12/%zz";
        QTest::newRow("percent and one hex digit") << "tolvo://b/%4x/%4"
                                                   << "tolvo://b/%4x/%4";
        QTest::newRow("escape at the end") << "tolvo://b/x%41"
                                           << "tolvo://b/xA";
        QTest::newRow("bytes that are no UTF-8") << "tolvo://b/%FF%C3/" << QString::fromUtf8("tolvo://b/\uFFFD\uFFFD/");
        QTest::newRow("escape beside a character")
            << QString::fromUtf8("tolvo://b/é%20ü/") << QString::fromUtf8("tolvo://b/é ü/");
    }
    void percentDecoding()
    {
        QFETCH(QString, url);
        QFETCH(QString, decoded);
        QCOMPARE(percentDecodedURL(url), decoded);
    }

    // Every reader of incoming links (the application, tolvo-cli resolve and check) reads them so.
    void incomingLinks_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QStringList>("moving"); // the targets that name a place in book/'s PDF
        QTest::addColumn<bool>("found");
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("dispatches"); // decoded only when the URL as received found nothing
        QTest::newRow("as received") << "tolvo://book/12/" << QStringList { "12/" } << true << "12/" << 1;
        QTest::newRow("prefix percent-encoded") << "tolvo://bo%6Fk/12/" << QStringList { "12/" } << true << "12/" << 2;
        QTest::newRow("target names a place only decoded")
            << "tolvo://book/Appendix%20A/" << QStringList { "Appendix A/" } << true << "Appendix A/" << 1;
        QTest::newRow("target names a place as received")
            << "tolvo://book/a%20b/" << QStringList { "a%20b/", "a b/" } << true << "a%20b/" << 1;
        QTest::newRow("neither names a place: decoded")
            << "tolvo://book/x%20y/" << QStringList {} << true << "x y/" << 1;
        QTest::newRow("whole PDF") << "tolvo://book/" << QStringList {} << true << "" << 1;
        QTest::newRow("no prefix either way") << "tolvo://b%6Fo/1/" << QStringList {} << false << "" << 2;
        QTest::newRow("no prefix, nothing to decode") << "tolvo://boo/1/" << QStringList {} << false << "" << 1;
    }
    void incomingLinks()
    {
        QFETCH(QString, url);
        QFETCH(QStringList, moving);
        QFETCH(bool, found);
        QFETCH(QString, target);
        QFETCH(int, dispatches);
        QStringList dispatched;
        const DispatchDecision d = dispatchIncomingURL(url, [&dispatched](const QString& text) {
            dispatched << text;
            return decideDispatch(text, { QStringLiteral("book/") }, {}, {});
        });
        QCOMPARE(d.kind == DispatchDecision::Kind::OpenDocument, found);
        QCOMPARE(dispatched.size(), dispatches);
        if (found)
            QCOMPARE(targetToFollow(url, d, [&moving](const QString& t) { return moving.contains(t); }), target);
    }

    void becomesTheHandlerAndKeepsOtherLines()
    {
        const QString mimeapps = m_dir.filePath("config/mimeapps.list");
        QDir().mkpath(m_dir.filePath("config"));
        {
            QFile f(mimeapps);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("[Added Associations]\napplication/pdf=other.desktop;\n\n[Default Applications]\n"
                    "text/html=firefox.desktop\nx-scheme-handler/tolvo=old.desktop;\n");
        }
        desktop::becomeSchemeHandler(QStringLiteral("/opt/my tolvo/bin/tolvo"));
        QCOMPARE(
            desktop::defaultHandler("x-scheme-handler/tolvo"), QString::fromLatin1(desktop::kGeneratedDesktopFileName));
        QCOMPARE(desktop::defaultHandler("text/html"), QStringLiteral("firefox.desktop"));
        QFile f(mimeapps);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        QVERIFY(text.contains("application/pdf=other.desktop;"));
        QCOMPARE(text.count("x-scheme-handler/tolvo="), 1);

        QFile desktopFile(m_dir.filePath("data/applications/") + QLatin1String(desktop::kGeneratedDesktopFileName));
        QVERIFY(desktopFile.open(QIODevice::ReadOnly));
        const QByteArray entry = desktopFile.readAll();
        QVERIFY(entry.contains("Exec=\"/opt/my tolvo/bin/tolvo\" %U\n"));
        QVERIFY(entry.contains("MimeType=x-scheme-handler/tolvo;application/pdf;"));
    }

    // Which desktop file start-up uses, and which of the user's files it leaves behind.
    void desktopFileNeverShadowsAnInstalledOne_data()
    {
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QStringList>("userFilesBefore"); // name=content marker: "ours" or "theirs"
        QTest::addColumn<QString>("used");
        QTest::addColumn<QStringList>("userFilesAfter");
        const QString generated = QString::fromLatin1(desktop::kGeneratedDesktopFileName);
        QTest::newRow("build tree, nothing yet") << false << QStringList() << generated << QStringList { generated };
        QTest::newRow("build tree, old name of ours")
            << false << QStringList { "tolvo.desktop=ours" } << generated << QStringList { generated };
        QTest::newRow("installed") << true << QStringList() << "installed" << QStringList();
        QTest::newRow("installed after a build-tree run")
            << true << QStringList { generated + "=ours", "tolvo.desktop=ours" } << "installed" << QStringList();
        QTest::newRow("installed, a file of the user's own kept")
            << true << QStringList { "tolvo.desktop=theirs" } << "installed" << QStringList { "tolvo.desktop" };
    }
    void desktopFileNeverShadowsAnInstalledOne()
    {
        QFETCH(bool, installed);
        QFETCH(QStringList, userFilesBefore);
        QFETCH(QString, used);
        QFETCH(QStringList, userFilesAfter);
        const QString userFolder = m_dir.filePath("data/applications");
        const QString systemFolder = m_dir.filePath("system/applications");
        QDir(userFolder).removeRecursively();
        QDir(systemFolder).removeRecursively();
        QVERIFY(QDir().mkpath(userFolder));
        QVERIFY(QDir().mkpath(systemFolder));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(m_dir.filePath(installed ? "system" : "nowhere")));
        const QString installedFile = systemFolder + u'/' + QLatin1String(desktop::kDesktopFileName);
        if (installed) {
            QFile f(installedFile);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("[Desktop Entry]\nType=Application\nName=Tolvo\nExec=tolvo %U\n");
        }
        for (const QString& entry : userFilesBefore) {
            QFile f(userFolder + u'/' + entry.section(u'=', 0, 0));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(entry.endsWith("=ours") ? "[Desktop Entry]\nX-Tolvo-Generated=true\n" : "[Desktop Entry]\n");
        }

        const QString file = desktop::ensureDesktopFile(QStringLiteral("/build/src/tolvo"));
        QCOMPARE(file, used == QLatin1String("installed") ? installedFile : userFolder + u'/' + used);
        QCOMPARE(QDir(userFolder).entryList({ QStringLiteral("*.desktop") }, QDir::Files, QDir::Name), userFilesAfter);
        // The installed file itself is never touched.
        QCOMPARE(QFileInfo::exists(installedFile), installed);
        qputenv("XDG_DATA_DIRS", QFile::encodeName(m_dir.filePath("nowhere")));
    }
};

QTEST_GUILESS_MAIN(TestDispatch)
#include "test_dispatch.moc"
