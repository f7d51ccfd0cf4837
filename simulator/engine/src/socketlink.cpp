#include "sim/socketlink.h"

#include "socketsys.h"

#include <QHostAddress>
#include <QSocketNotifier>
#include <QTimer>

namespace r5::sim {

namespace sys = socketsys;

namespace {
constexpr qsizetype kArrivalMax = 256 * 1024;
constexpr qint64 kSendHigh = 1024 * 1024;
constexpr qint64 kSendLow = 256 * 1024;
// How long a link closed from this side may take to see the peer's FIN before it is dropped.
constexpr int kLingerMs = 3000;

// A link closed from this side: its FIN is sent at once, and what the peer still sends is read
// and dropped until the peer closes too (closing with unread bytes would reset the link and
// lose what the socket took but has not delivered yet).
class Lingerer : public QObject
{
public:
    Lingerer(qintptr fd, QObject *parent)
        : QObject(parent), m_fd(fd), m_notifier(fd, QSocketNotifier::Read, this)
    {
        sys::shutdownWrite(fd);
        connect(&m_notifier, &QSocketNotifier::activated, this, &Lingerer::drain);
        QTimer::singleShot(kLingerMs, this, &QObject::deleteLater);
    }
    ~Lingerer() override
    {
        m_notifier.setEnabled(false);
        sys::close(m_fd);
    }

private:
    // Drains what waits, not one read per event: Winsock tells of the peer's end only once.
    void drain()
    {
        char sink[16384];
        for (int i = 0; i < 64; ++i) {
            const qint64 n = sys::receive(m_fd, sink, sizeof sink);
            if (n > 0)
                continue;
            if (n == 0 || !sys::wouldBlock(sys::lastError()))
                deleteLater();
            return;
        }
    }

    qintptr m_fd;
    QSocketNotifier m_notifier;
};

} // namespace

SocketLink::SocketLink(QObject *parent) : QObject(parent) {}

SocketLink::~SocketLink()
{
    // Nothing is reported from a link that is going away.
    delete m_readNotifier;
    delete m_writeNotifier;
    if (linked())
        sys::close(m_fd);
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

void SocketLink::attach(qintptr socket)
{
    release();
    sys::adopt(socket);
    m_fd = socket;
    ++m_link;
    m_readAgainDue = false;
    m_writeHigh = false;
    m_peerFinished = false;
    m_readNotifier = new QSocketNotifier(socket, QSocketNotifier::Read, this);
    m_writeNotifier = new QSocketNotifier(socket, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &SocketLink::readWaiting);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, [this] { writeSome(true); });
    updateReading();
}

void SocketLink::updateReading()
{
    if (!m_readNotifier)
        return;
    const bool resume = readingWanted() && !m_readNotifier->isEnabled();
    m_readNotifier->setEnabled(readingWanted());
    // What arrived while reading was held may have been announced already.
    if (resume && !sys::readNotifierRepeats())
        readAgainLater();
}

template <typename Step> void SocketLink::atNextEvent(Step step)
{
    QTimer::singleShot(0, this, [this, step, link = m_link] {
        if (linked() && link == m_link)
            step();
    });
}

void SocketLink::readAgainLater()
{
    if (m_readAgainDue)
        return;
    m_readAgainDue = true;
    atNextEvent([this] {
        m_readAgainDue = false;
        if (readingWanted())
            readWaiting();
    });
}

void SocketLink::readWaiting()
{
    static thread_local QByteArray buffer(kArrivalMax, Qt::Uninitialized);
    const qint64 n = sys::receive(m_fd, buffer.data(), kArrivalMax);
    if (n > 0) {
        if (!sys::readNotifierRepeats())
            readAgainLater();
        Q_EMIT dataArrival(QByteArray(buffer.constData(), qsizetype(n)));
        return;
    }
    if (n < 0) {
        const int err = sys::lastError();
        if (!sys::wouldBlock(err))
            fail(err);
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
        const qint64 n = sys::send(m_fd, p.bytes.constData() + p.taken, p.bytes.size() - p.taken);
        if (n < 0) {
            const int err = sys::lastError();
            if (sys::wouldBlock(err))
                break;
            if (!fromEvent) {
                atNextEvent([this] { writeSome(true); });
                break;
            }
            fail(err);
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
    m_writeNotifier->setEnabled(!m_out.empty());
    if (m_writeHigh ? m_queued <= kSendLow : m_queued > kSendHigh) {
        m_writeHigh = !m_writeHigh;
        updateReading();
    }
    if (fromEvent) {
        finishIfDone();
    } else if (m_peerFinished && m_out.empty()) {
        // A link whose peer has finished closes from the next event once everything has left.
        atNextEvent([this] { finishIfDone(); });
    }
}

void SocketLink::finishIfDone()
{
    if (!m_peerFinished || !m_out.empty())
        return;
    dropLink();
    sys::close(m_fd);
    m_fd = -1;
    Q_EMIT peerClosed();
}

void SocketLink::fail(int err)
{
    dropLink();
    sys::close(m_fd);
    m_fd = -1;
    Q_EMIT socketError(sys::recordNumber(err), sys::errorText(err));
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
    const qintptr fd = m_fd;
    const bool finished = m_peerFinished;
    m_fd = -1;
    dropLink();
    if (finished)
        sys::close(fd);
    else
        new Lingerer(fd, this);
}

ClientSocket::ClientSocket(QObject *parent) : SocketLink(parent) {}

SocketState ClientSocket::state() const
{
    return m_connectingFd != -1 ? SocketState::Connecting : SocketLink::state();
}

void ClientSocket::close()
{
    if (m_connectNotifier)
        m_connectNotifier->setEnabled(false);
    delete m_connectNotifier;
    m_connectNotifier = nullptr;
    if (m_connectingFd != -1)
        sys::close(m_connectingFd);
    m_connectingFd = -1;
    release();
}

void ClientSocket::connectTo(const QString &address, quint16 port)
{
    close();
    QHostAddress host;
    if (!host.setAddress(address) || host.protocol() != QAbstractSocket::IPv4Protocol || port == 0)
        return;
    int err = 0;
    const qintptr fd = sys::startConnect(host.toIPv4Address(), port, err);
    if (fd == sys::kInvalid) {
        QTimer::singleShot(0, this,
                           [this, err] { Q_EMIT socketError(sys::recordNumber(err), sys::errorText(err)); });
        return;
    }
    // The outcome always comes as an event, also when loopback connects at once.
    m_connectingFd = fd;
    m_connectNotifier = new QSocketNotifier(fd, QSocketNotifier::Write, this);
    connect(m_connectNotifier, &QSocketNotifier::activated, this, &ClientSocket::connectDone);
    // Winsock tells an outcome only once: one that came before the notifier watched is looked up.
    QTimer::singleShot(0, this, &ClientSocket::connectDone);
}

void ClientSocket::connectDone()
{
    const qintptr fd = m_connectingFd;
    int err = 0;
    if (fd == -1 || !sys::connectEnded(fd, err))
        return;
    m_connectingFd = -1;
    m_connectNotifier->setEnabled(false);
    m_connectNotifier->deleteLater();
    m_connectNotifier = nullptr;
    if (err != 0) {
        sys::close(fd);
        Q_EMIT socketError(sys::recordNumber(err), sys::errorText(err));
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

void ServerSocket::takePeer(qintptr fd)
{
    // The listener accepts the request itself, so nothing listens until this peer leaves.
    if (linked()) {
        sys::close(fd);
        return;
    }
    attach(fd);
    m_server.close();
    Q_EMIT connectionRequest();
}

} // namespace r5::sim
