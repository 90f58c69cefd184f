// SPDX-License-Identifier: GPL-3.0-or-later
#include "instance/SingleInstance.h"

#include "instance/InstanceProtocol.h"

#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QPointer>
#include <QSocketNotifier>
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
// How long listening pauses when a connection cannot be taken (out of descriptors).
constexpr int kAcceptPauseMs = 250;

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

namespace {

// One connection: what it sent so far, what is still to be written back, and its idle timer.
class InstanceClient : public QObject {
    Q_OBJECT
public:
    InstanceClient(int fd, const InstanceServer::Handler& handler, int timeoutMs, QObject* server)
        : QObject(server)
        , m_fd(fd)
        , m_handler(handler)
        , m_timeoutMs(timeoutMs)
        , m_reading(fd, QSocketNotifier::Read, this)
        , m_writing(fd, QSocketNotifier::Write, this)
    {
        m_writing.setEnabled(false);
        m_idle.setSingleShot(true);
        connect(&m_idle, &QTimer::timeout, this, [this] {
            qCInfo(lcInstance) << "Dropping a client that sent no message in time";
            drop();
        });
        connect(&m_reading, &QSocketNotifier::activated, this, &InstanceClient::readable);
        connect(&m_writing, &QSocketNotifier::activated, this, &InstanceClient::writable);
        m_idle.start(m_timeoutMs);
    }
    ~InstanceClient() override { ::close(m_fd); }
    InstanceClient(const InstanceClient&) = delete;
    InstanceClient& operator=(const InstanceClient&) = delete;

private:
    void readable()
    {
        char buffer[16384];
        for (;;) {
            const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                return;
            if (n <= 0) {
                // The peer is gone (or the socket failed): nothing more comes, and replies still
                // to be written have nobody to read them.
                drop();
                return;
            }
            // Each piece is looked at as it comes, so that an oversized frame is refused before
            // more of it is read.
            m_reader.feed(QByteArray(buffer, n));
            if (!answerMessages())
                return;
        }
    }

    // Answers every whole message received; false when the client was dropped.
    bool answerMessages()
    {
        for (;;) {
            QJsonObject message;
            const FrameReader::State state = m_reader.next(&message);
            if (state == FrameReader::State::NeedMore)
                return true;
            if (state == FrameReader::State::Broken) {
                qCInfo(lcInstance).noquote() << "Dropping a client:" << m_reader.problem();
                drop();
                return false;
            }
            m_idle.start(m_timeoutMs);
            QPointer<InstanceClient> guard(this);
            const QJsonObject reply = m_handler(message);
            if (!guard)
                return false;
            m_output += encodeReply(reply);
            if (!writable())
                return false;
        }
    }

    // Writes what it can of the replies; false when the client was dropped.
    bool writable()
    {
        while (!m_output.isEmpty()) {
            const ssize_t n = ::send(m_fd, m_output.constData(), size_t(m_output.size()), MSG_NOSIGNAL);
            if (n > 0) {
                m_output.remove(0, n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                break;
            drop();
            return false;
        }
        m_writing.setEnabled(!m_output.isEmpty());
        return true;
    }

    void drop()
    {
        m_reading.setEnabled(false);
        m_writing.setEnabled(false);
        m_idle.stop();
        // Out of the server's clients now; deleted once the event loop is back.
        setParent(nullptr);
        deleteLater();
    }

    int m_fd;
    // The server's, which outlives every client that can still call it.
    const InstanceServer::Handler& m_handler;
    int m_timeoutMs;
    QSocketNotifier m_reading;
    QSocketNotifier m_writing;
    QTimer m_idle;
    FrameReader m_reader;
    QByteArray m_output;
};

} // namespace

InstanceServer::InstanceServer(Handler handler, QObject* parent)
    : QObject(parent)
    , m_handler(std::move(handler))
    , m_clientTimeoutMs(kClientTimeoutMs)
{
}

InstanceServer::~InstanceServer()
{
    close();
}

bool InstanceServer::listen(int listeningSocket)
{
    close();
    if (listeningSocket < 0)
        return false;
    m_listener = listeningSocket;
    sockaddr_un address {};
    socklen_t length = sizeof address;
    if (::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) == 0 && address.sun_family == AF_UNIX
        && address.sun_path[0] != 0)
        m_path = QByteArray(address.sun_path, qsizetype(::strnlen(address.sun_path, sizeof address.sun_path)));
    const int flags = ::fcntl(m_listener, F_GETFL);
    if (flags < 0 || ::fcntl(m_listener, F_SETFL, flags | O_NONBLOCK) != 0
        || ::fcntl(m_listener, F_SETFD, FD_CLOEXEC) != 0) {
        close();
        return false;
    }
    m_acceptor = new QSocketNotifier(m_listener, QSocketNotifier::Read, this);
    connect(m_acceptor, &QSocketNotifier::activated, this, &InstanceServer::accept);
    return true;
}

bool InstanceServer::listen(const QString& path)
{
    close();
    const QByteArray encoded = QFile::encodeName(path);
    sockaddr_un address {};
    if (!fillAddress(encoded, &address))
        return false;
    ::unlink(encoded.constData());
    Fd listener(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    // Owner-only from the moment it exists: nobody else may pose as a client.
    const mode_t oldMask = ::umask(077);
    const bool bound
        = listener.get() >= 0 && ::bind(listener.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::umask(oldMask);
    if (!bound || ::listen(listener.get(), 64) != 0)
        return false;
    return listen(listener.release());
}

int InstanceServer::clientCount() const
{
    return int(findChildren<InstanceClient*>(Qt::FindDirectChildrenOnly).size());
}

void InstanceServer::accept()
{
    for (;;) {
        const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0) {
            m_acceptFailing = false;
            new InstanceClient(fd, m_handler, m_clientTimeoutMs, this);
            continue;
        }
        if (errno == EINTR || errno == ECONNABORTED)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            m_acceptFailing = false;
            return; // all taken
        }
        // Out of descriptors, say: the connection stays queued, and the notifier would wake this
        // again at once, round and round. Listening pauses instead, and takes it up afterwards.
        const int error = errno;
        if (!m_acceptFailing)
            qCInfo(lcInstance).noquote() << "Cannot accept a client, trying again:"
                                         << QString::fromLocal8Bit(std::strerror(error));
        m_acceptFailing = true;
        m_acceptor->setEnabled(false);
        QTimer::singleShot(kAcceptPauseMs, m_acceptor, [acceptor = m_acceptor] { acceptor->setEnabled(true); });
        return;
    }
}

void InstanceServer::close()
{
    delete m_acceptor;
    m_acceptor = nullptr;
    qDeleteAll(findChildren<InstanceClient*>(Qt::FindDirectChildrenOnly));
    if (m_listener >= 0)
        ::close(m_listener);
    m_listener = -1;
    // The socket file goes with the instance, so that the next start need not find it dead.
    if (!m_path.isEmpty())
        ::unlink(m_path.constData());
    m_path.clear();
}

} // namespace tolvo::instance

#include "SingleInstance.moc"
