// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One Tolvo per user: the first process listens on a local socket, later ones
// hand their arguments to it and exit.
//
// Both sides use plain POSIX sockets: a process that only hands over never builds
// a QApplication and exits within milliseconds, and the instance serves its socket
// from the event loop without a networking library to load at every start.

#include <QJsonObject>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QSocketNotifier;

namespace tolvo::instance {

/// The socket's path: $XDG_RUNTIME_DIR/tolvo/instance (a folder of the user's, mode 0700),
/// or a per-user folder under the temporary folder when there is no runtime folder.
QString socketPath();

/// What request() got back.
struct Reply {
    enum class Outcome {
        Answered,
        NotRunning, ///< nobody listens on the socket
        NoAnswer, ///< an instance took the message but gave no whole reply in time
    };
    Outcome outcome = Outcome::NotRunning;
    QJsonObject message; ///< for Answered
    bool answered() const { return outcome == Outcome::Answered; }
};

/// Sends one message to the running instance and waits for its reply. An instance
/// busy with a large PDF may take seconds to answer, and then must not be reported
/// as not running, so the default wait is long.
Reply request(const QJsonObject& message, int timeoutMs = 30000);

/// The outcome of claim().
struct Claim {
    enum class Role { HandedOver, Primary, Failed } role = Role::Failed;
    int listeningSocket = -1; ///< for Primary: a bound, listening socket to give to InstanceServer
    QString problem; ///< for Failed
    /// For Failed: an instance is there but did not answer in time. Starting a
    /// second one beside it would split the documents between two processes.
    bool instanceUnresponsive = false;
};

/// Either hands the messages to a running instance, or becomes the instance:
/// binds the socket (taking over one left by a crashed instance) while holding
/// a lock, so that two processes starting at once end as one instance.
Claim claim(const QList<QJsonObject>& messages);

/// The instance's side: accepts connections, reads framed messages and answers each.
/// A client that sends a broken frame, or nothing for a while, is dropped; the socket
/// file goes when the server does.
class InstanceServer : public QObject {
    Q_OBJECT
public:
    /// Gets a message and returns the reply to send. It must not block (no modal
    /// dialogs): the sender waits for the reply, so queue the real work.
    using Handler = std::function<QJsonObject(const QJsonObject& message)>;

    explicit InstanceServer(Handler handler, QObject* parent = nullptr);
    ~InstanceServer() override;

    /// Serves on a socket that claim() bound; the server owns it from now on, even when this fails.
    bool listen(int listeningSocket);
    /// Binds and serves the socket path itself, owner-only (for tests and when claim() was not used).
    bool listen(const QString& path);

    /// How long a client may stay silent before it is dropped.
    void setClientTimeout(int milliseconds) { m_clientTimeoutMs = milliseconds; }
    /// The clients connected now.
    int clientCount() const;

private:
    void accept();
    void close();

    Handler m_handler;
    int m_listener = -1;
    QByteArray m_path;
    QSocketNotifier* m_acceptor = nullptr;
    bool m_acceptFailing = false; // said once until a connection is taken again
    int m_clientTimeoutMs;
};

} // namespace tolvo::instance
