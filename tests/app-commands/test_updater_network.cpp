// SPDX-License-Identifier: GPL-3.0-or-later
// The update check over the network, against a small HTTP server on 127.0.0.1:
// a feed, HTTP errors, a redirect, a server that hangs up or never answers, an
// answer too large for a feed, and a port where nothing listens.
#include "app/SoftwareUpdater.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

using namespace tolvo;
using updates::UpdateCheckResult;
using Kind = UpdateCheckResult::Kind;

Q_DECLARE_METATYPE(Kind)

namespace {

const QByteArray kFeed = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                         "<rss version=\"2.0\" xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\">"
                         "<channel><title>Tolvo</title>"
                         "<item><title>Tolvo 1.2</title><link>https://tolvo.github.io/releases/1.2/</link>"
                         "<enclosure url=\"https://tolvo.github.io/d/1.2\" sparkle:version=\"1.2\"/></item>"
                         "</channel></rss>\n";

QByteArray response(const QByteArray& status, const QByteArray& body, const QByteArray& extra = {})
{
    return "HTTP/1.1 " + status + "\r\nContent-Type: application/rss+xml\r\nContent-Length: "
        + QByteArray::number(body.size()) + "\r\nConnection: close\r\n" + extra + "\r\n" + body;
}

// Answers each request by its path; "/silent" never answers, "/close" hangs up.
class FeedServer : public QTcpServer {
public:
    /// Requests read to their end so far.
    int served = 0;

    FeedServer()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { serve(socket); });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }

private:
    void serve(QTcpSocket* socket)
    {
        QByteArray& request = m_requests[socket];
        request += socket->readAll();
        if (!request.contains("\r\n\r\n"))
            return;
        const QByteArray path = request.split(' ').value(1);
        m_requests.remove(socket);
        ++served;
        if (path == "/silent")
            return;
        if (path == "/close") {
            socket->abort();
            return;
        }
        QByteArray answer;
        if (path == "/feed")
            answer = response("200 OK", kFeed);
        else if (path == "/redirect")
            answer = response("302 Found", "", "Location: /feed\r\n");
        else if (path == "/error")
            answer = response("500 Internal Server Error", "oops");
        else if (path == "/html")
            answer = response("200 OK", "<!DOCTYPE html><html><body>Log in first</body></html>");
        else if (path == "/huge")
            answer = response("200 OK", QByteArray(6 * 1024 * 1024, 'x'));
        else
            answer = response("404 Not Found", "no such feed");
        socket->write(answer);
        socket->disconnectFromHost();
    }

    QHash<QTcpSocket*, QByteArray> m_requests;
};

} // namespace

class TestUpdaterNetwork : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<Defaults> m_defaults;
    FeedServer m_server;

    QUrl address(const QString& path) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path));
    }

    UpdateCheckResult check(SoftwareUpdater& updater, const QUrl& feed)
    {
        QSignalSpy spy(&updater, &SoftwareUpdater::checkFinished);
        if (!updater.startCheck(feed))
            return {};
        if (!spy.wait(15000))
            return {};
        return spy.value(0).value(0).value<UpdateCheckResult>();
    }

private slots:
    void initTestCase()
    {
        qRegisterMetaType<UpdateCheckResult>();
        // The network module sits beside tolvo in the build tree, not beside this test.
        QCoreApplication::addLibraryPath(qEnvironmentVariable("TOLVO_BINARY_DIR") + QStringLiteral("/src"));
        QVERIFY(m_server.listen(QHostAddress::LocalHost));
        m_defaults = std::make_unique<Defaults>(m_dir.filePath(QStringLiteral("defaults.json")));
        registerTolvoDefaults(*m_defaults);
    }

    void answers_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("newest");
        QTest::newRow("feed") << "/feed" << Kind::UpdateAvailable << 0 << "1.2";
        QTest::newRow("redirect to the feed") << "/redirect" << Kind::UpdateAvailable << 0 << "1.2";
        QTest::newRow("not found") << "/missing" << Kind::HttpError << 404 << "";
        QTest::newRow("server error") << "/error" << Kind::HttpError << 500 << "";
        QTest::newRow("connection closed") << "/close" << Kind::NetworkError << 0 << "";
        QTest::newRow("a web page") << "/html" << Kind::BadFeed << 0 << "";
        QTest::newRow("too large for a feed") << "/huge" << Kind::BadFeed << 0 << "";
        QTest::newRow("no answer") << "/silent" << Kind::Timeout << 0 << "";
    }
    void answers()
    {
        QFETCH(QString, path);
        QFETCH(Kind, kind);
        QFETCH(int, status);
        QFETCH(QString, newest);
        SoftwareUpdater updater(*m_defaults);
        updater.setCurrentVersion(QStringLiteral("1.1"));
        updater.setTimeout(700);
        const UpdateCheckResult result = check(updater, address(path));
        QCOMPARE(result.kind, kind);
        QCOMPARE(result.httpStatus, status);
        QCOMPARE(result.newestVersion, newest);
        QCOMPARE(result.feed, address(path));
        QVERIFY(!updater.isChecking());
        const updates::UpdateMessage message = updates::describeUpdate(result, updater.currentVersion());
        QCOMPARE(message.warning, kind != Kind::UpdateAvailable);
        if (status)
            QVERIFY2(message.informativeText.contains(QString::number(status)), qPrintable(message.informativeText));
    }

    void nothingListening()
    {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 port = closed.serverPort();
        closed.close();
        SoftwareUpdater updater(*m_defaults);
        const UpdateCheckResult result = check(updater, QUrl(QStringLiteral("http://127.0.0.1:%1/feed").arg(port)));
        QCOMPARE(result.kind, Kind::NetworkError);
        QVERIFY(!result.detail.isEmpty());
    }

    void addressSetting_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("usable");
        QTest::newRow("https") << "https://tolvo.github.io/appcast.xml" << true;
        QTest::newRow("local file") << "file:///srv/mirror/appcast.xml" << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("no scheme") << "tolvo.github.io/appcast.xml" << false;
        QTest::newRow("other scheme") << "ftp://tolvo.github.io/appcast.xml" << false;
    }
    void addressSetting()
    {
        QFETCH(QString, address);
        QFETCH(bool, usable);
        QCOMPARE(SoftwareUpdater::feedUrl(address).isValid(), usable);
        if (!usable) {
            SoftwareUpdater updater(*m_defaults);
            const UpdateCheckResult result = check(updater, QUrl(address));
            QCOMPARE(result.kind, Kind::BadAddress);
        }
    }

    void defaultAddressIsUsable()
    {
        SoftwareUpdater updater(*m_defaults);
        QVERIFY(SoftwareUpdater::feedUrl(updater.feedAddress()).isValid());
    }

    void oneCheckAtATimeAndCancel()
    {
        SoftwareUpdater updater(*m_defaults);
        QSignalSpy spy(&updater, &SoftwareUpdater::checkFinished);
        QVERIFY(updater.startCheck(address(QStringLiteral("/silent"))));
        QVERIFY(!updater.startCheck(address(QStringLiteral("/feed"))));
        const int before = m_server.served;
        QTRY_COMPARE(m_server.served, before + 1); // the check is waiting for its answer
        updater.cancelCheck();
        QTRY_COMPARE(spy.count(), 1);
        QCOMPARE(spy.value(0).value(0).value<UpdateCheckResult>().kind, Kind::Cancelled);
        // Once it is over, the next check runs.
        QCOMPARE(check(updater, address(QStringLiteral("/feed"))).kind, Kind::UpdateAvailable);
    }
};

QTEST_GUILESS_MAIN(TestUpdaterNetwork)
#include "test_updater_network.moc"
