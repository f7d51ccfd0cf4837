#include "sim/socketlink.h"

#include <QHostAddress>
#include <QSocketNotifier>
#include <QTimer>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace r5::sim {

namespace {
constexpr qsizetype kArrivalMax = 256 * 1024;
constexpr qint64 kSendHigh = 1024 * 1024;
constexpr qint64 kSendLow = 256 * 1024;
// How long a link closed from this side may take to see the peer's FIN before it is dropped.
constexpr int kLingerMs = 3000;

// Error numbers as the records of the tool have always shown them (the Windows socket codes),
// so old and new error files read alike.
int errorNumber(int err)
{
    switch (err) {
    case ECONNREFUSED:
        return 10061;
    case ECONNRESET:
    case EPIPE:
        return 10054;
    case ECONNABORTED:
        return 10053;
    case ETIMEDOUT:
        return 10060;
    case ENETUNREACH:
        return 10051;
    case EHOSTUNREACH:
        return 10065;
    case ENETDOWN:
        return 10050;
    case EADDRINUSE:
        return 10048;
    case EADDRNOTAVAIL:
        return 10049;
    case EACCES:
        return 10013;
    case ENOBUFS:
    case ENOMEM:
        return 10055;
    default:
        return 10000 + err;
    }
}

QString errorText(int err)
{
    if (err == EPIPE)
        err = ECONNRESET; // a write after the peer's reset
    return QString::fromLocal8Bit(std::strerror(err));
}

void setNonBlocking(int fd)
{
    const int flags = ::fcntl(fd, F_GETFL);
    ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
}

// A link closed from this side: its FIN is sent at once, and what the peer still sends is read
// and dropped until the peer closes too (closing with unread bytes would reset the link and
// lose what the socket took but has not delivered yet).
class Lingerer : public QObject
{
public:
    Lingerer(int fd, QObject *parent) : QObject(parent), m_fd(fd), m_notifier(fd, QSocketNotifier::Read, this)
    {
        ::shutdown(fd, SHUT_WR);
        connect(&m_notifier, &QSocketNotifier::activated, this, [this] {
            char sink[16384];
            const ssize_t n = ::recv(m_fd, sink, sizeof sink, 0);
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
                deleteLater();
        });
        QTimer::singleShot(kLingerMs, this, &QObject::deleteLater);
    }
    ~Lingerer() override
    {
        m_notifier.setEnabled(false);
        ::close(m_fd);
    }

private:
    int m_fd;
    QSocketNotifier m_notifier;
};
} // namespace

SocketLink::SocketLink(QObject *parent) : QObject(parent) {}

SocketLink::~SocketLink()
{
    // Nothing is reported from a link that is going away.
    delete m_readNotifier;
    delete m_writeNotifier;
    if (m_fd >= 0)
        ::close(m_fd);
}

SocketState SocketLink::state() const
{
    return linked() ? SocketState::Connected : SocketState::Closed;
}

bool SocketLink::send(const QByteArray &bytes)
{
    if (!linked() || bytes.isEmpty())
        return false;
    m_out.push_back({bytes, 0});
    m_queued += bytes.size();
    if (!m_writeHigh && m_queued > kSendHigh) {
        m_writeHigh = true;
        updateReading();
    }
    // Written at once where the socket has room; the rest when it reports room again.
    if (m_out.size() == 1)
        writeSome(false);
    return true;
}

void SocketLink::holdReading(bool hold)
{
    if (m_held == hold)
        return;
    m_held = hold;
    updateReading();
}

void SocketLink::attach(int fd)
{
    release();
    setNonBlocking(fd);
    m_fd = fd;
    m_writeHigh = false;
    m_peerFinished = false;
    m_readNotifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    m_writeNotifier = new QSocketNotifier(fd, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &SocketLink::readWaiting);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, [this] { writeSome(true); });
    updateReading();
}

void SocketLink::updateReading()
{
    if (m_readNotifier)
        m_readNotifier->setEnabled(!m_peerFinished && !m_writeHigh && !m_held);
}

void SocketLink::readWaiting()
{
    static thread_local QByteArray buffer(kArrivalMax, Qt::Uninitialized);
    const ssize_t n = ::recv(m_fd, buffer.data(), size_t(kArrivalMax), 0);
    if (n > 0) {
        Q_EMIT dataArrival(QByteArray(buffer.constData(), qsizetype(n)));
        return;
    }
    if (n < 0) {
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            fail(errno);
        return;
    }
    // The peer will send no more; it may still read the replies to what it sent.
    m_peerFinished = true;
    updateReading();
    finishIfDone();
}

// A failure found while the owner is sending is reported from the next event instead, so the
// owner never sees its link vanish in the middle of its own call.
void SocketLink::writeSome(bool fromEvent)
{
    while (!m_out.empty()) {
        Pending &p = m_out.front();
        const ssize_t n =
            ::send(m_fd, p.bytes.constData() + p.taken, size_t(p.bytes.size() - p.taken), MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK || !fromEvent)
                break;
            fail(errno);
            return;
        }
        p.taken += n;
        m_queued -= n;
        if (p.taken < p.bytes.size())
            continue;
        const QByteArray done = std::move(p.bytes);
        m_out.pop_front();
        Q_EMIT sent(done);
        if (!linked())
            return; // the owner closed the link on the way
    }
    // A link whose peer has finished closes from the next event once everything has left.
    m_writeNotifier->setEnabled(!m_out.empty() || (!fromEvent && m_peerFinished));
    if (m_writeHigh ? m_queued <= kSendLow : m_queued > kSendHigh) {
        m_writeHigh = !m_writeHigh;
        updateReading();
    }
    if (fromEvent)
        finishIfDone();
}

void SocketLink::finishIfDone()
{
    if (!m_peerFinished || !m_out.empty())
        return;
    dropLink();
    ::close(m_fd);
    m_fd = -1;
    Q_EMIT peerClosed();
}

void SocketLink::fail(int err)
{
    dropLink();
    ::close(m_fd);
    m_fd = -1;
    Q_EMIT socketError(errorNumber(err), errorText(err));
}

// Ends the link's bookkeeping; the descriptor is left to the caller. A buffer the socket took
// in part is reported for that part.
void SocketLink::dropLink()
{
    // This may run inside a notifier's own signal: it goes once that has returned.
    for (QSocketNotifier *n : {m_readNotifier, m_writeNotifier}) {
        if (n) {
            n->setEnabled(false);
            n->deleteLater();
        }
    }
    m_readNotifier = nullptr;
    m_writeNotifier = nullptr;
    QByteArray partial;
    if (!m_out.empty() && m_out.front().taken > 0)
        partial = m_out.front().bytes.left(m_out.front().taken);
    m_out.clear();
    m_queued = 0;
    m_writeHigh = false;
    if (!partial.isEmpty())
        Q_EMIT sent(partial);
}

void SocketLink::release()
{
    if (!linked())
        return;
    const int fd = m_fd;
    const bool finished = m_peerFinished;
    m_fd = -1;
    dropLink();
    if (finished)
        ::close(fd);
    else
        new Lingerer(fd, this);
}

ClientSocket::ClientSocket(QObject *parent) : SocketLink(parent) {}

SocketState ClientSocket::state() const
{
    return m_connectingFd >= 0 ? SocketState::Connecting : SocketLink::state();
}

void ClientSocket::close()
{
    if (m_connectNotifier)
        m_connectNotifier->setEnabled(false);
    delete m_connectNotifier;
    m_connectNotifier = nullptr;
    if (m_connectingFd >= 0)
        ::close(m_connectingFd);
    m_connectingFd = -1;
    release();
}

void ClientSocket::connectTo(const QString &address, quint16 port)
{
    close();
    QHostAddress host;
    if (!host.setAddress(address) || host.protocol() != QAbstractSocket::IPv4Protocol || port == 0)
        return;
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        const int err = errno;
        QTimer::singleShot(0, this, [this, err] { Q_EMIT socketError(errorNumber(err), errorText(err)); });
        return;
    }
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(host.toIPv4Address());
    // The outcome always comes as an event, also when loopback connects at once.
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&to), sizeof to) != 0 && errno != EINPROGRESS) {
        const int err = errno;
        ::close(fd);
        QTimer::singleShot(0, this, [this, err] { Q_EMIT socketError(errorNumber(err), errorText(err)); });
        return;
    }
    m_connectingFd = fd;
    m_connectNotifier = new QSocketNotifier(fd, QSocketNotifier::Write, this);
    connect(m_connectNotifier, &QSocketNotifier::activated, this, &ClientSocket::connectDone);
}

void ClientSocket::connectDone()
{
    const int fd = m_connectingFd;
    m_connectingFd = -1;
    m_connectNotifier->setEnabled(false);
    m_connectNotifier->deleteLater();
    m_connectNotifier = nullptr;
    int err = 0;
    socklen_t len = sizeof err;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0)
        err = errno;
    if (err != 0) {
        ::close(fd);
        Q_EMIT socketError(errorNumber(err), errorText(err));
        return;
    }
    attach(fd);
    Q_EMIT connected();
}

ServerSocket::ServerSocket(QObject *parent) : SocketLink(parent)
{
    m_server.setListenBacklogSize(1);
}

bool ServerSocket::listen(quint16 port)
{
    close();
    return m_server.listen(QHostAddress::Any, port);
}

void ServerSocket::close()
{
    m_server.close();
    release();
}

SocketState ServerSocket::state() const
{
    if (linked())
        return SocketState::Connected;
    return m_server.isListening() ? SocketState::Listening : SocketState::Closed;
}

quint16 ServerSocket::port() const
{
    return m_server.isListening() ? m_server.serverPort() : 0;
}

void ServerSocket::takePeer(int fd)
{
    // The listener accepts the request itself, so nothing listens until this peer leaves.
    if (linked()) {
        ::close(fd);
        return;
    }
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    attach(fd);
    m_server.close();
    Q_EMIT connectionRequest();
}

} // namespace r5::sim
