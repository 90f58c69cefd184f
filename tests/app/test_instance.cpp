// SPDX-License-Identifier: GPL-3.0-or-later
// The single-instance channel: frames, hand-over, take-over of a dead socket.
#include "instance/InstanceProtocol.h"
#include "instance/SingleInstance.h"

#include <QJsonArray>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <future>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace tolvo::instance;

class TestInstance : public QObject {
    Q_OBJECT

    QTemporaryDir m_runtime;

    // A client of the server in this thread, on a raw socket, so that it can misbehave.
    static int connectRaw(const QString& path)
    {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un a {};
        a.sun_family = AF_UNIX;
        const QByteArray p = QFile::encodeName(path);
        std::memcpy(a.sun_path, p.constData(), size_t(p.size()));
        if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
            ::close(fd);
            return -1;
        }
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        return fd;
    }

    // Reads what has come; false once the server closed the connection.
    static bool readSome(int fd, QByteArray* into)
    {
        char buffer[65536];
        for (;;) {
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n > 0) {
                into->append(buffer, n);
                continue;
            }
            return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
        }
    }

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

    // Out of descriptors, a waiting connection cannot be taken: the server says so once, rather
    // than wake again at once for ever (and log each time), and takes it once descriptors are free.
    void outOfDescriptorsPausesAndRecovers()
    {
        InstanceServer server([](const QJsonObject&) { return QJsonObject { { "ok", true } }; });
        QVERIFY(server.listen(socketPath()));
        rlimit before {};
        QVERIFY(::getrlimit(RLIMIT_NOFILE, &before) == 0);
        rlimit low = before;
        low.rlim_cur = std::min<rlim_t>(before.rlim_cur, 256);
        QVERIFY(::setrlimit(RLIMIT_NOFILE, &low) == 0);
        std::vector<int> held;
        for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;)
            held.push_back(fd);
        // One left, for the client: none for the server to take it with.
        ::close(held.back());
        held.pop_back();

        static std::atomic<int> said { 0 };
        said = 0;
        const QtMessageHandler earlier
            = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
                  said += text.startsWith("Cannot accept");
              });
        const int client = connectRaw(socketPath());
        // A window in which a server that does not pause wakes thousands of times.
        QTest::qWait(400);
        for (int fd : held)
            ::close(fd);
        ::setrlimit(RLIMIT_NOFILE, &before);
        QVERIFY(client >= 0);
        QTRY_COMPARE(server.clientCount(), 1);
        qInstallMessageHandler(earlier);
        QCOMPARE(said.load(), 1);
        ::close(client);
        const auto reply = inThread([] { return request(QJsonObject { { "type", "status" } }); });
        QVERIFY(reply.answered());
    }

    // What a client does, piece by piece: "w:TEXT" writes a frame holding {"n": TEXT}, "h:TEXT"
    // only the first half of one and "r:TEXT" the rest, "c" closes the client. Then whether the
    // server answered and which messages it was given.
    void clientsThatMisbehave_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<int>("replies");
        QTest::addColumn<QStringList>("handled");
        QTest::newRow("one whole frame") << QStringList { "w:a" } << 1 << QStringList { "a" };
        QTest::newRow("a frame in two pieces") << QStringList { "h:a", "r:a" } << 1 << QStringList { "a" };
        QTest::newRow("two frames, answered in order") << QStringList { "w:a", "w:b" } << 2 << QStringList { "a", "b" };
        QTest::newRow("gone in the middle of a frame") << QStringList { "h:a", "c" } << 0 << QStringList {};
        QTest::newRow("gone before its reply") << QStringList { "w:a", "c" } << 0 << QStringList { "a" };
        QTest::newRow("a broken frame after a good one") << QStringList { "w:a", "x" } << 1 << QStringList { "a" };
        QTest::newRow("silent until dropped") << QStringList {} << 0 << QStringList {};
    }
    void clientsThatMisbehave()
    {
        QFETCH(QStringList, steps);
        QFETCH(int, replies);
        QFETCH(QStringList, handled);
        QStringList seen;
        InstanceServer server([&](const QJsonObject& m) {
            seen << m.value("n").toString();
            return QJsonObject { { "ok", m.value("n") } };
        });
        server.setClientTimeout(100);
        const QString path = m_runtime.filePath("misbehave");
        QVERIFY(server.listen(path));
        int fd = connectRaw(path);
        QVERIFY(fd >= 0);
        QTRY_COMPARE(server.clientCount(), 1);
        for (const QString& step : steps) {
            const QByteArray frame = encodeFrame(QJsonObject { { "n", step.mid(2) } });
            QByteArray bytes = step.startsWith("w:") ? frame
                : step.startsWith("h:")              ? frame.left(frame.size() / 2)
                : step.startsWith("r:")              ? frame.mid(frame.size() / 2)
                : step == "x"                        ? QByteArray("\x7f\xff\xff\xff", 4)
                                                     : QByteArray();
            if (step == "c") {
                ::close(fd);
                fd = -1;
                break;
            }
            QCOMPARE(::send(fd, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL), ssize_t(bytes.size()));
            // The server reads between the pieces.
            QCoreApplication::processEvents();
        }
        // Whatever it did, the server ends with no client: answered and dropped, or dropped.
        QByteArray received;
        QTRY_COMPARE(server.clientCount(), 0);
        if (fd >= 0) {
            readSome(fd, &received);
            ::close(fd);
        }
        QCOMPARE(seen, handled);
        FrameReader reader;
        reader.feed(received);
        QJsonObject reply;
        int count = 0;
        while (reader.next(&reply) == FrameReader::State::Message) {
            QCOMPARE(reply.value("ok").toString(), handled.value(count));
            ++count;
        }
        QCOMPARE(count, replies);
        // And it serves the next one.
        const bool answered = inThread([path] {
            const int c = connectRaw(path);
            const QByteArray frame = encodeFrame(QJsonObject { { "n", "next" } });
            ::fcntl(c, F_SETFL, ::fcntl(c, F_GETFL) & ~O_NONBLOCK);
            bool ok = ::send(c, frame.constData(), size_t(frame.size()), MSG_NOSIGNAL) == frame.size();
            char header[4];
            ok = ok && ::recv(c, header, 4, MSG_WAITALL) == 4;
            ::close(c);
            return ok;
        });
        QVERIFY(answered);
    }

    void repliesLargerThanTheSocketBufferArriveWhole()
    {
        // Many requests sent at once, each answered at length, before the client reads any:
        // the server writes as the client makes room.
        const QString big(30000, u'r');
        InstanceServer server([&](const QJsonObject& m) {
            return QJsonObject { { "n", m.value("n") }, { "text", big } };
        });
        const QString path = m_runtime.filePath("large");
        QVERIFY(server.listen(path));
        const int fd = connectRaw(path);
        QVERIFY(fd >= 0);
        const int count = 200;
        for (int i = 0; i < count; ++i) {
            const QByteArray frame = encodeFrame(QJsonObject { { "n", i } });
            QCOMPARE(::send(fd, frame.constData(), size_t(frame.size()), MSG_NOSIGNAL), ssize_t(frame.size()));
        }
        FrameReader reader;
        int got = 0;
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                QByteArray bytes;
                readSome(fd, &bytes);
                reader.feed(bytes);
                QJsonObject reply;
                while (reader.next(&reply) == FrameReader::State::Message) {
                    if (reply.value("n").toInt() != got || reply.value("text").toString() != big)
                        return false;
                    ++got;
                }
                return got == count;
            }(),
            20000);
        ::close(fd);
    }

    void socketFileIsOwnerOnlyAndGoesWithTheServer_data()
    {
        QTest::addColumn<bool>("fromClaim");
        QTest::newRow("bound by the server") << false;
        QTest::newRow("bound by claim()") << true;
    }
    void socketFileIsOwnerOnlyAndGoesWithTheServer()
    {
        QFETCH(bool, fromClaim);
        ::unlink(QFile::encodeName(socketPath()).constData());
        const mode_t oldMask = ::umask(0);
        QString path;
        {
            InstanceServer server([](const QJsonObject&) { return QJsonObject {}; });
            if (fromClaim) {
                const Claim c = claim({ openMessage({}, "/") });
                QCOMPARE(c.role, Claim::Role::Primary);
                QVERIFY(server.listen(c.listeningSocket));
                path = socketPath();
            } else {
                path = m_runtime.filePath("owner-only");
                QVERIFY(server.listen(path));
            }
            struct stat st { };
            QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
            QVERIFY(S_ISSOCK(st.st_mode));
            QCOMPARE(int(st.st_mode & 077), 0);
        }
        ::umask(oldMask);
        QVERIFY(!QFileInfo::exists(path));
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
