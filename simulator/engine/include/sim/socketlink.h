#pragma once

#include <QByteArray>
#include <QObject>
#include <QTcpServer>
#include <deque>

class QSocketNotifier;

namespace r5::sim {

enum class SocketState { Closed, Listening, Connecting, Connected };

// One TCP link of the tool, on the platform socket itself: Qt's socket closes both directions
// when the peer's FIN arrives and reports a reset like a close, and the tool must do neither.
// A peer that half-closes still gets every reply to what it sent before; the link is reported
// closed once those replies have left. A reset is an error (10054).
//
// Arrivals are at most 256 KiB. Nothing more is read while over 1 MiB waits to be sent or while
// the owner holds reading (its files cannot keep up), so a slow reader or a slow disk slows the
// sender down instead of growing anything without bound. `sent` tells what the socket took,
// buffer by buffer; bytes still queued when the link ends were never sent and are not reported.
class SocketLink : public QObject
{
    Q_OBJECT
public:
    virtual SocketState state() const;
    // Queues `bytes` behind what waits; false when there is no link to send on.
    bool send(const QByteArray &bytes);
    // Holds or resumes reading for the owner.
    void holdReading(bool hold);

Q_SIGNALS:
    void dataArrival(const QByteArray &bytes);
    // The socket took `bytes` (the whole buffer, or the part taken before the link ended).
    void sent(const QByteArray &bytes);
    // The peer closed and every reply has left; the link is gone.
    void peerClosed();
    // The link failed (reset, refused, ...); it is gone when this is emitted.
    void socketError(int number, const QString &description);

protected:
    explicit SocketLink(QObject *parent);
    ~SocketLink() override;

    void attach(int fd);
    // Closes the link from this side. What the socket took still reaches the peer.
    void release();
    bool linked() const { return m_fd >= 0; }
    int descriptor() const { return m_fd; }

private:
    struct Pending
    {
        QByteArray bytes;
        qsizetype taken = 0;
    };

    void readWaiting();
    void writeSome(bool fromEvent);
    void updateReading();
    void finishIfDone();
    void fail(int err);
    void dropLink();
    qint64 queuedBytes() const { return m_queued; }

    int m_fd = -1;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
    std::deque<Pending> m_out;
    qint64 m_queued = 0;
    bool m_writeHigh = false;
    bool m_held = false;
    bool m_peerFinished = false;
};

// The tool's client socket: one connection at a time.
class ClientSocket : public SocketLink
{
    Q_OBJECT
public:
    explicit ClientSocket(QObject *parent = nullptr);

    // Starts connecting; an address that is not a dotted IPv4 address never connects.
    void connectTo(const QString &address, quint16 port);
    void close();
    SocketState state() const override;

Q_SIGNALS:
    void connected();

private:
    void connectDone();

    int m_connectingFd = -1;
    QSocketNotifier *m_connectNotifier = nullptr;
};

// The tool's server socket: it listens, takes the first peer and stops listening, so a second
// peer is refused until the first one leaves and the owner listens again.
class ServerSocket : public SocketLink
{
    Q_OBJECT
public:
    explicit ServerSocket(QObject *parent = nullptr);

    bool listen(quint16 port);
    // Closes the listener and the peer.
    void close();
    SocketState state() const override;
    quint16 port() const;
    // Why the last listen() failed.
    QAbstractSocket::SocketError listenError() const { return m_server.serverError(); }
    QString listenErrorString() const { return m_server.errorString(); }

Q_SIGNALS:
    void connectionRequest();

private:
    class Listener : public QTcpServer
    {
    public:
        explicit Listener(ServerSocket &owner) : m_owner(owner) {}

    protected:
        void incomingConnection(qintptr fd) override { m_owner.takePeer(int(fd)); }

    private:
        ServerSocket &m_owner;
    };

    void takePeer(int fd);

    Listener m_server{*this};
};

} // namespace r5::sim
