// SPDX-License-Identifier: GPL-3.0-or-later
#include "instance/SingleInstance.h"

#include "instance/InstanceProtocol.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLoggingCategory>
#include <QPointer>
#include <QTimer>

#include <cerrno>
#include <chrono>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcInstance, "tolvo.instance")

namespace tolvo::instance {

namespace {

// A client that sends nothing for this long is dropped, so that it cannot
// hold the instance's attention.
constexpr int kClientTimeoutMs = 5000;

QByteArray folderPath()
{
    QByteArray base = qgetenv("XDG_RUNTIME_DIR");
    if (base.isEmpty() || !QFileInfo(QString::fromLocal8Bit(base)).isDir())
        base = QFile::encodeName(QDir::tempPath()) + "/tolvo-" + QByteArray::number(uint(::getuid()));
    else
        base += "/tolvo";
    return base;
}

bool ensureFolder(const QByteArray& folder)
{
    if (::mkdir(folder.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st { };
    // The folder must be ours and closed to others, or anyone could pose as the instance.
    if (::lstat(folder.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid())
        return false;
    if ((st.st_mode & 077) != 0)
        return ::chmod(folder.constData(), 0700) == 0;
    return true;
}

bool fillAddress(const QByteArray& path, sockaddr_un* address)
{
    std::memset(address, 0, sizeof *address);
    address->sun_family = AF_UNIX;
    if (size_t(path.size()) >= sizeof address->sun_path)
        return false;
    std::memcpy(address->sun_path, path.constData(), size_t(path.size()));
    return true;
}

class Fd {
public:
    explicit Fd(int fd = -1)
        : m_fd(fd)
    {
    }
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

int connectTo(const QByteArray& path)
{
    sockaddr_un address {};
    if (!fillAddress(path, &address))
        return -1;
    Fd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (fd.get() < 0)
        return -1;
    if (::connect(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        return -1;
    return fd.release();
}

using Clock = std::chrono::steady_clock;

int remainingMs(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? int(left) : 0;
}

bool writeAll(int fd, const QByteArray& bytes, Clock::time_point deadline)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        pollfd p { fd, POLLOUT, 0 };
        if (::poll(&p, 1, remainingMs(deadline)) <= 0)
            return false;
        const ssize_t n = ::send(fd, bytes.constData() + done, size_t(bytes.size() - done), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

std::optional<QJsonObject> readReply(int fd, Clock::time_point deadline)
{
    FrameReader reader;
    char buffer[4096];
    for (;;) {
        QJsonObject reply;
        switch (reader.next(&reply)) {
        case FrameReader::State::Message:
            return reply;
        case FrameReader::State::Broken:
            return std::nullopt;
        case FrameReader::State::NeedMore:
            break;
        }
        pollfd p { fd, POLLIN, 0 };
        if (::poll(&p, 1, remainingMs(deadline)) <= 0)
            return std::nullopt;
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return std::nullopt;
        reader.feed(QByteArray(buffer, n));
    }
}

std::optional<QJsonObject> exchange(int fd, const QJsonObject& message, Clock::time_point deadline)
{
    const QByteArray frame = encodeFrame(message);
    if (frame.isEmpty() || !writeAll(fd, frame, deadline))
        return std::nullopt;
    return readReply(fd, deadline);
}

} // namespace

QString socketPath()
{
    return QFile::decodeName(folderPath() + "/instance");
}

Reply request(const QJsonObject& message, int timeoutMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    Fd fd(connectTo(QFile::encodeName(socketPath())));
    Reply reply;
    if (fd.get() < 0)
        return reply;
    const auto answer = exchange(fd.get(), message, deadline);
    reply.outcome = answer ? Reply::Outcome::Answered : Reply::Outcome::NoAnswer;
    if (answer)
        reply.message = *answer;
    return reply;
}

Claim claim(const QList<QJsonObject>& messages)
{
    Claim result;
    const QByteArray folder = folderPath();
    if (!ensureFolder(folder)) {
        result.problem = QStringLiteral("cannot use the folder %1").arg(QFile::decodeName(folder));
        return result;
    }
    const QByteArray path = folder + "/instance";

    // The lock makes "connect, else bind" one step across processes.
    Fd lock(::open((folder + "/instance.lock").constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (lock.get() < 0 || ::flock(lock.get(), LOCK_EX) != 0) {
        result.problem = QStringLiteral("cannot lock %1/instance.lock").arg(QFile::decodeName(folder));
        return result;
    }

    Fd peer(connectTo(path));
    if (peer.get() >= 0) {
        // An instance still starting on a busy machine may take seconds to answer;
        // one that takes longer than this is hung, and we do not replace it.
        const auto deadline = Clock::now() + std::chrono::seconds(30);
        for (const QJsonObject& message : messages) {
            if (!exchange(peer.get(), message, deadline)) {
                result.problem = QStringLiteral("the running Tolvo did not answer");
                result.instanceUnresponsive = true;
                return result;
            }
        }
        result.role = Claim::Role::HandedOver;
        return result;
    }

    // Nobody answers: whatever is at the path was left by an instance that died.
    ::unlink(path.constData());
    sockaddr_un address {};
    if (!fillAddress(path, &address)) {
        result.problem = QStringLiteral("the socket path is too long");
        return result;
    }
    Fd listener(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    const mode_t oldMask = ::umask(077);
    const bool bound
        = listener.get() >= 0 && ::bind(listener.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::umask(oldMask);
    if (!bound || ::listen(listener.get(), 64) != 0) {
        result.problem = QStringLiteral("cannot listen on %1: %2")
                             .arg(QFile::decodeName(path), QString::fromLocal8Bit(std::strerror(errno)));
        return result;
    }
    result.role = Claim::Role::Primary;
    result.listeningSocket = listener.release();
    return result;
}

InstanceServer::InstanceServer(Handler handler, QObject* parent)
    : QObject(parent)
    , m_handler(std::move(handler))
    , m_server(new QLocalServer(this))
{
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &InstanceServer::accept);
}

InstanceServer::~InstanceServer() = default;

bool InstanceServer::listen(int listeningSocket)
{
    return m_server->listen(qintptr(listeningSocket));
}

bool InstanceServer::listen(const QString& path)
{
    QLocalServer::removeServer(path);
    return m_server->listen(path);
}

void InstanceServer::accept()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection())
        serve(socket);
}

void InstanceServer::serve(QLocalSocket* socket)
{
    auto reader = std::make_shared<FrameReader>();
    auto* idle = new QTimer(socket);
    idle->setSingleShot(true);
    idle->start(kClientTimeoutMs);
    connect(idle, &QTimer::timeout, socket, [socket] {
        qCInfo(lcInstance) << "Dropping a client that sent no message in time";
        socket->abort();
    });
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket, reader, idle] {
        reader->feed(socket->readAll());
        QJsonObject message;
        for (;;) {
            const FrameReader::State state = reader->next(&message);
            if (state == FrameReader::State::NeedMore)
                return;
            if (state == FrameReader::State::Broken) {
                qCInfo(lcInstance).noquote() << "Dropping a client:" << reader->problem();
                socket->abort();
                return;
            }
            idle->start(kClientTimeoutMs);
            QPointer<QLocalSocket> guard(socket);
            const QJsonObject reply = m_handler(message);
            if (!guard)
                return;
            socket->write(encodeReply(reply));
            socket->flush();
        }
    });
}

} // namespace tolvo::instance
