// SPDX-License-Identifier: GPL-3.0-or-later
// The update feed and version order: which release of a feed counts, how
// versions compare, and which feeds are refused. Also the support mail link.
#include "app/SoftwareUpdaterFeed.h"
#include "app/SoftwareUpdaterVersion.h"
#include "settings/ExternalAddresses.h"

#include <QFile>
#include <QtTest>

using namespace tolvo;
using updates::UpdateCheckResult;
using Kind = UpdateCheckResult::Kind;

Q_DECLARE_METATYPE(Kind)

namespace {

QByteArray feedFile(const QString& name)
{
    QFile file(qEnvironmentVariable("TOLVO_SOURCE_DIR") + QStringLiteral("/tests/app-commands/feeds/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing feed file %s", qPrintable(name));
    return file.readAll();
}

const QUrl kFallback(QStringLiteral("https://fallback.example/"));

} // namespace

class TestUpdaterFeed : public QObject {
    Q_OBJECT

private slots:
    void versionOrder_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("expected");
        const struct {
            const char* name;
            const char* a;
            const char* b;
            int expected;
        } rows[] = {
            { "numeric, not textual", "1.10", "1.9", 1 },
            { "trailing zeros", "1.0", "1.0.0", 0 },
            { "leading zeros", "01.002", "1.2", 0 },
            { "v prefix", "v1.2", "1.2", 0 },
            { "beyond 64 bits", "12345678901234567890.1", "12345678901234567889.9", 1 },
            { "beta before release", "1.0-beta", "1.0", -1 },
            { "rc after the version before", "1.0-rc1", "0.9", 1 },
            { "alpha before beta", "1.0-alpha", "1.0-beta", -1 },
            { "beta before rc", "1.0-beta9", "1.0-rc1", -1 },
            { "dev before alpha", "1.0-dev", "1.0-alpha", -1 },
            { "pre-release numbers numeric", "1.0-beta.2", "1.0-beta.11", -1 },
            { "glued and dotted alike", "1.0beta2", "1.0-beta.2", 0 },
            { "bare word before numbered", "1.0-beta", "1.0-beta.1", -1 },
            { "pre-release of a zero-padded version", "1.0.0-rc1", "1.0-rc1", 0 },
            { "build metadata ignored", "1.0+build5", "1.0", 0 },
        };
        for (const auto& row : rows)
            QTest::newRow(row.name) << QString::fromLatin1(row.a) << QString::fromLatin1(row.b) << row.expected;
    }
    void versionOrder()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, expected);
        const std::optional<int> forward = updates::compareVersions(a, b);
        const std::optional<int> backward = updates::compareVersions(b, a);
        QVERIFY(forward && backward);
        QCOMPARE(*forward, expected);
        QCOMPARE(*backward, -expected);
    }

    void notVersions_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << "";
        QTest::newRow("blank") << "   ";
        QTest::newRow("word") << "soon";
        QTest::newRow("bare v") << "v";
        QTest::newRow("starts with dot") << ".5";
        QTest::newRow("negative") << "-1.0";
    }
    void notVersions()
    {
        QFETCH(QString, text);
        QVERIFY(!updates::parseVersion(text));
        QVERIFY(!updates::compareVersions(text, QStringLiteral("1.0")));
    }

    void feeds_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("current");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("newest");
        QTest::addColumn<QUrl>("page");
        const QUrl none;
        QTest::newRow("good feed, older build")
            << "good.xml"
            << "1.1.9" << Kind::UpdateAvailable << "1.2" << QUrl("https://tolvo.github.io/releases/1.2/");
        QTest::newRow("good feed, same version written shorter") << "good.xml"
                                                                 << "1.2" << Kind::UpToDate << "1.2" << none;
        QTest::newRow("good feed, pre-release of it")
            << "good.xml"
            << "1.2.0-rc2" << Kind::UpdateAvailable << "1.2" << QUrl("https://tolvo.github.io/releases/1.2/");
        QTest::newRow("good feed, newer build") << "good.xml"
                                                << "1.3" << Kind::UpToDate << "1.2" << none;
        QTest::newRow("several: highest wins, element over enclosure")
            << "several.xml"
            << "1.9" << Kind::UpdateAvailable << "1.10 \"Harbour\"" << QUrl("https://tolvo.github.io/releases/1.10/");
        QTest::newRow("several: at the highest") << "several.xml"
                                                 << "1.10.0" << Kind::UpToDate << "1.10 \"Harbour\"" << none;
        QTest::newRow("no item names a readable version") << "missing-version.xml"
                                                          << "0.1" << Kind::BadFeed << "" << none;
        QTest::newRow("unclosed elements") << "garbage.xml"
                                           << "0.1" << Kind::BadFeed << "" << none;
        QTest::newRow("damage after the feed") << "trailing-garbage.xml"
                                               << "0.1" << Kind::BadFeed << "" << none;
        QTest::newRow("undeclared sparkle prefix") << "undeclared-prefix.xml"
                                                   << "0.1" << Kind::BadFeed << "" << none;
        QTest::newRow("a web page instead") << "html.xml"
                                            << "0.1" << Kind::BadFeed << "" << none;
        QTest::newRow("empty channel") << "empty-channel.xml"
                                       << "0.1" << Kind::NoReleases << "" << none;
        QTest::newRow("unsafe links fall back to our page") << "unsafe-link.xml"
                                                            << "0.1" << Kind::UpdateAvailable << "3.0" << kFallback;
    }
    void feeds()
    {
        QFETCH(QString, file);
        QFETCH(QString, current);
        QFETCH(Kind, kind);
        QFETCH(QString, newest);
        QFETCH(QUrl, page);
        const UpdateCheckResult result = updates::decideUpdate(feedFile(file), current, kFallback);
        QCOMPARE(result.kind, kind);
        QCOMPARE(result.newestVersion, newest);
        QCOMPARE(result.page, page);
        if (kind == Kind::BadFeed)
            QVERIFY2(!result.detail.isEmpty(), "a refused feed says why");
    }

    void mailSubjects_data()
    {
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QByteArray>("encoded");
        QTest::newRow("support") << QString::fromLatin1(addresses::kSupportSubject)
                                 << QByteArray("mailto:help@example.org?subject=Help%20Using%20Tolvo%20v1.2");
        QTest::newRow("feedback") << QString::fromLatin1(addresses::kFeedbackSubject)
                                  << QByteArray("mailto:help@example.org?subject=Feedback%20on%20Tolvo%20v1.2");
        QTest::newRow("field delimiters")
            << "a&b=c#d?e" << QByteArray("mailto:help@example.org?subject=a%26b%3Dc%23d%3Fe");
        QTest::newRow("plus and percent")
            << "1+1 = 100%" << QByteArray("mailto:help@example.org?subject=1%2B1%20%3D%20100%25");
        QTest::newRow("non-ASCII as UTF-8")
            << QString::fromUtf8("Grüße") << QByteArray("mailto:help@example.org?subject=Gr%C3%BC%C3%9Fe");
        QTest::newRow("no subject") << "" << QByteArray("mailto:help@example.org");
    }
    void mailSubjects()
    {
        QFETCH(QString, subject);
        QFETCH(QByteArray, encoded);
        const QUrl url = addresses::mailtoUrl(QStringLiteral("help@example.org"), subject);
        QVERIFY(url.isValid());
        QCOMPARE(url.toEncoded(), encoded);
        // What the mail program reads back.
        const QString decoded = QUrlQuery(url).queryItemValue(QStringLiteral("subject"), QUrl::FullyDecoded);
        QCOMPARE(decoded, subject);
    }
};

QTEST_GUILESS_MAIN(TestUpdaterFeed)
#include "test_updater_feed.moc"
