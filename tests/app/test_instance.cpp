// SPDX-License-Identifier: GPL-3.0-or-later
// The single-instance channel: frames, hand-over, take-over of a dead socket.
#include "instance/InstanceProtocol.h"
#include "instance/SingleInstance.h"

#include <QJsonArray>
#include <QTemporaryDir>
#include <QtTest>

#include <future>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace tolvo::instance;

class TestInstance : public QObject {
    Q_OBJECT

    QTemporaryDir m_runtime;

    template <typename F> auto inThread(F f)
    {
        // The hand-over side blocks; the server needs this thread's event loop meanwhile.
        auto future = std::async(std::launch::async, f);
        while (future.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return future.get();
    }

private slots:
    void initTestCase() { qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path())); }

    void framesRoundTrip()
    {
        const QJsonObject message = openMessage({ "tolvo://book/12/", "/tmp/a b.pdf", "ü" }, "/home");
        FrameReader reader;
        const QByteArray frame = encodeFrame(message);
        // Delivered byte by byte, the message still comes out whole, once.
        for (char c : frame) {
            QJsonObject out;
            QCOMPARE(reader.next(&out), FrameReader::State::NeedMore);
            reader.feed(QByteArray(1, c));
        }
        QJsonObject out;
        QCOMPARE(reader.next(&out), FrameReader::State::Message);
        QCOMPARE(out, message);
        QCOMPARE(reader.next(&out), FrameReader::State::NeedMore);
    }

    void brokenStreams_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("oversized length") << QByteArray("\x00\x01\x00\x01{}", 6);
        QTest::newRow("huge length") << QByteArray("\xff\xff\xff\xff", 4);
        QTest::newRow("not json") << QByteArray("\x00\x00\x00\x03"
                                                "abc",
            7);
        QTest::newRow("json array") << QByteArray("\x00\x00\x00\x02[]", 6);
    }
    void brokenStreams()
    {
        QFETCH(QByteArray, bytes);
        FrameReader reader;
        reader.feed(bytes);
        QJsonObject out;
        QCOMPARE(reader.next(&out), FrameReader::State::Broken);
        QVERIFY(!reader.problem().isEmpty());
        reader.feed(encodeFrame(QJsonObject { { "type", "status" } }));
        QCOMPARE(reader.next(&out), FrameReader::State::Broken);
    }

    void repliesAlwaysFit_data()
    {
        // Status replies carry texts from the user's PDFs: any length, any number of windows.
        QTest::addColumn<QJsonObject>("reply");
        QTest::addColumn<bool>("cut");
        const QJsonObject small { { "documents", QJsonArray { QJsonObject { { "pageLabel", "iv" } } } } };
        QTest::newRow("small") << small << false;
        QTest::newRow("one long label") << QJsonObject {
            { "documents", QJsonArray { QJsonObject { { "pageLabel", QString(200000, u'L') } } } }
        } << true;
        // Cut in the middle of a surrogate pair, the pair goes whole.
        QString astral;
        for (int i = 0; i < 50000; ++i)
            astral += QStringLiteral("\U0001F600");
        QTest::newRow("astral characters")
            << QJsonObject { { "documents", QJsonArray { QJsonObject { { "windowTitle", u'x' + astral } } } } } << true;
        QJsonArray many;
        for (int i = 0; i < 3000; ++i)
            many.append(
                QJsonObject { { "file", QStringLiteral("/home/u/a rather long folder name/document %1.pdf").arg(i) },
                    { "pageLabel", QString::number(i) } });
        QTest::newRow("many windows") << QJsonObject { { "documents", many } } << true;
    }
    void repliesAlwaysFit()
    {
        QFETCH(QJsonObject, reply);
        QFETCH(bool, cut);
        FrameReader reader;
        reader.feed(encodeReply(reply));
        QJsonObject out;
        QCOMPARE(reader.next(&out), FrameReader::State::Message);
        QCOMPARE(out.value("cut").toBool(), cut);
        if (!cut) {
            QCOMPARE(out, reply);
            return;
        }
        const QJsonArray documents = out.value("documents").toArray();
        QVERIFY(!documents.isEmpty());
        for (const QJsonValue& d : documents)
            for (const QJsonValue& v : d.toObject()) {
                const QString text = v.toString();
                QVERIFY(text.size() <= 4096 + 8);
                for (qsizetype i = 0; i < text.size(); ++i)
                    QVERIFY(!text[i].isHighSurrogate() || (i + 1 < text.size() && text[i + 1].isLowSurrogate()));
            }
    }

    void largeArgumentListsAreSplit()
    {
        QStringList args;
        for (int i = 0; i < 400; ++i)
            args << QString(500, QChar(u'a' + i % 26));
        args << QString(kMaxFrameSize, u'x'); // can never fit
        QStringList dropped;
        const QList<QJsonObject> messages = openMessages(args, "/", &dropped);
        QVERIFY(messages.size() > 1);
        QStringList joined;
        for (const QJsonObject& m : messages) {
            QVERIFY(!encodeFrame(m).isEmpty());
            for (const auto& v : m.value("arguments").toArray())
                joined << v.toString();
        }
        QCOMPARE(joined, args.mid(0, 400));
        QCOMPARE(dropped.size(), 1);
    }

    void handOverReachesTheInstance()
    {
        const Claim first = claim({ openMessage({ "first" }, "/") });
        QCOMPARE(first.role, Claim::Role::Primary);
        QList<QJsonObject> received;
        InstanceServer server([&](const QJsonObject& m) {
            received << m;
            return QJsonObject { { "ok", true } };
        });
        QVERIFY(server.listen(first.listeningSocket));
        QVERIFY((QFileInfo(socketPath()).permissions() & (QFileDevice::ReadOther | QFileDevice::WriteOther)) == 0);

        const Claim second = inThread([] { return claim(openMessages({ "tolvo://a/1/", "b.pdf" }, "/work")); });
        QCOMPARE(second.role, Claim::Role::HandedOver);
        QCOMPARE(received.size(), 1);
        QCOMPARE(received.first().value("arguments").toArray().size(), 2);
        QCOMPARE(received.first().value("workingDirectory").toString(), QStringLiteral("/work"));

        const auto status = inThread([] { return request(QJsonObject { { "type", "status" } }); });
        QVERIFY(status.answered());
        QCOMPARE(status.message.value("ok").toBool(), true);
    }

    void garbageClientIsDroppedAndServerGoesOn()
    {
        InstanceServer server([](const QJsonObject&) { return QJsonObject { { "ok", true } }; });
        QVERIFY(server.listen(socketPath()));
        const bool sent = inThread([] {
            int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un a {};
            a.sun_family = AF_UNIX;
            const QByteArray p = QFile::encodeName(socketPath());
            std::memcpy(a.sun_path, p.constData(), size_t(p.size()));
            bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0
                && ::write(fd,
                       "\xff\xff\xff\xff"
                       "junk",
                       8)
                    == 8;
            char c;
            ok = ok && ::read(fd, &c, 1) <= 0; // closed on us, no reply
            ::close(fd);
            return ok;
        });
        QVERIFY(sent);
        const auto reply = inThread([] { return request(QJsonObject { { "type", "status" } }); });
        QVERIFY(reply.answered());
    }

    void deadInstanceSocketIsTakenOver()
    {
        // A socket file that nobody listens on, as a crashed instance leaves it.
        {
            int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un a {};
            a.sun_family = AF_UNIX;
            const QByteArray p = QFile::encodeName(socketPath());
            ::unlink(p.constData());
            std::memcpy(a.sun_path, p.constData(), size_t(p.size()));
            QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
            ::close(fd);
        }
        QVERIFY(QFileInfo::exists(socketPath()));
        const Claim c = claim({ openMessage({}, "/") });
        QCOMPARE(c.role, Claim::Role::Primary);
        ::close(c.listeningSocket);
    }

    void silenceIsNotMistakenForNoInstance_data()
    {
        QTest::addColumn<QByteArray>("listener"); // what holds the socket path
        QTest::addColumn<int>("outcome");
        QTest::newRow("nothing there") << QByteArray("none") << int(Reply::Outcome::NotRunning);
        QTest::newRow("left by a crashed instance") << QByteArray("dead") << int(Reply::Outcome::NotRunning);
        QTest::newRow("listening, never answering") << QByteArray("silent") << int(Reply::Outcome::NoAnswer);
    }
    void silenceIsNotMistakenForNoInstance()
    {
        QFETCH(QByteArray, listener);
        QFETCH(int, outcome);
        const QByteArray path = QFile::encodeName(socketPath());
        ::unlink(path.constData());
        int fd = -1;
        if (listener != "none") {
            fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un a {};
            a.sun_family = AF_UNIX;
            std::memcpy(a.sun_path, path.constData(), size_t(path.size()));
            QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
            // The kernel accepts the connection into the backlog; nobody reads it.
            if (listener == "silent")
                QCOMPARE(::listen(fd, 4), 0);
        }
        const Reply reply = request(QJsonObject { { "type", "status" } }, 200);
        if (fd >= 0)
            ::close(fd);
        ::unlink(path.constData());
        QCOMPARE(int(reply.outcome), outcome);
    }
};

QTEST_GUILESS_MAIN(TestInstance)
#include "test_instance.moc"
