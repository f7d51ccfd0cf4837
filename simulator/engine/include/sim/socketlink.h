#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

namespace r5::sim {

enum class SocketState { Closed, Listening, Connecting, Connected };

// The tool's client socket: one connection at a time. close() lets data already handed over
// drain in the background, so a reply sent just before closing still leaves.
class ClientSocket : public QObject
{
    Q_OBJECT
public:
    explicit ClientSocket(QObject *parent = nullptr);
    ~ClientSocket() override;

    // Starts connecting; an address that is not a dotted IPv4 address never connects.
    void connectTo(const QString &address, quint16 port);
    void close();
    SocketState state() const;
    bool send(const QByteArray &bytes);

Q_SIGNALS:
    void connected();
    void dataArrival(const QByteArray &bytes);
    void peerClosed();
    void socketError(int number, const QString &description);

private:
    QPointer<QTcpSocket> m_socket;
};

// The tool's server socket: it listens, takes the first peer and stops listening, so a second
// peer is refused until the first one leaves and the owner listens again.
class ServerSocket : public QObject
{
    Q_OBJECT
public:
    explicit ServerSocket(QObject *parent = nullptr);
    ~ServerSocket() override;

    bool listen(quint16 port);
    // Closes the listener and the peer.
    void close();
    SocketState state() const;
    quint16 port() const;
    bool send(const QByteArray &bytes);

Q_SIGNALS:
    void connectionRequest();
    void dataArrival(const QByteArray &bytes);
    void peerClosed();
    void socketError(int number, const QString &description);

private:
    void takePeer();

    QTcpServer m_server;
    QPointer<QTcpSocket> m_peer;
};

} // namespace r5::sim
