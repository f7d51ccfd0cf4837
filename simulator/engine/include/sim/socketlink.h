#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

namespace r5::sim {

enum class SocketState { Closed, Listening, Connecting, Connected };

// One TCP link of the tool. Arrivals are at most 256 KiB, and nothing more is read while over
// 1 MiB waits to be sent, so an echo to a slow reader slows the sender down instead of growing
// without bound. Closing lets data already handed over drain in the background, so a reply sent
// just before closing still leaves.
class SocketLink : public QObject
{
    Q_OBJECT
public:
    virtual SocketState state() const;
    bool send(const QByteArray &bytes);

Q_SIGNALS:
    void dataArrival(const QByteArray &bytes);
    void peerClosed();
    void socketError(int number, const QString &description);

protected:
    explicit SocketLink(QObject *parent);
    ~SocketLink() override;

    void attach(QTcpSocket *socket);
    void release();
    QTcpSocket *socket() const { return m_socket; }

private:
    void readWaiting();

    QPointer<QTcpSocket> m_socket;
    bool m_paused = false;
};

// The tool's client socket: one connection at a time.
class ClientSocket : public SocketLink
{
    Q_OBJECT
public:
    explicit ClientSocket(QObject *parent = nullptr);

    // Starts connecting; an address that is not a dotted IPv4 address never connects.
    void connectTo(const QString &address, quint16 port);
    void close() { release(); }

Q_SIGNALS:
    void connected();
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

Q_SIGNALS:
    void connectionRequest();

private:
    void takePeer();

    QTcpServer m_server;
};

} // namespace r5::sim
