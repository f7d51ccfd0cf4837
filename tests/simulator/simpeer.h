#pragma once

// A TCP peer on 127.0.0.1 for the tool to talk to, and a port nobody listens on.
#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

namespace simtest {

inline quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// Accepts every connection, keeps what arrives (each read as one chunk) and can echo it.
class PeerServer : public QObject
{
public:
    PeerServer()
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *s = m_server.nextPendingConnection()) {
                ++connections;
                sockets.append(s);
                QObject::connect(s, &QTcpSocket::readyRead, this, [this, s] {
                    const QByteArray b = s->readAll();
                    received += b;
                    chunks.append(b);
                    if (echo)
                        s->write(b);
                });
            }
        });
    }

    quint16 port() const { return m_server.serverPort(); }
    QString portText() const { return QString::number(port()); }

    // The newest link, or null.
    QTcpSocket *last() const { return sockets.isEmpty() ? nullptr : sockets.last().data(); }
    void sendToLast(const QByteArray &b)
    {
        if (QTcpSocket *s = last())
            s->write(b);
    }
    void closeAll()
    {
        for (const auto &s : std::as_const(sockets)) {
            if (s)
                s->disconnectFromHost();
        }
    }
    void stopListening() { m_server.close(); }

    int connections = 0;
    bool echo = false;
    QByteArray received;
    QList<QByteArray> chunks;
    QList<QPointer<QTcpSocket>> sockets;

private:
    QTcpServer m_server;
};

// The two things a test peer does that Qt's socket cannot (peersocket_<platform>.cpp).
// Makes the next close of `socket` a reset (RST) instead of a FIN, as a crashing peer does.
void resetOnClose(qintptr socket);
// Sends a FIN and keeps reading: a half-close.
void shutdownWrite(qintptr socket);
// Wine (8.0) reads a reset as an end of file: recv() gives 0 and the error is lost, where
// Windows gives WSAECONNRESET. True when running there.
bool resetReadsAsEnd();

// A peer that writes `data`, half-closes once all of it has left and reads until the other side
// closes. It connects to `port`, or with `listen` waits for the tool on the port it reports.
class HalfClosingPeer : public QObject
{
public:
    explicit HalfClosingPeer(QByteArray data) : m_data(std::move(data)) {}

    void connectTo(quint16 port)
    {
        talk(new QTcpSocket(this));
        m_socket->connectToHost(QHostAddress::LocalHost, port);
    }
    quint16 listen()
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, this, [this] {
            talk(m_server.nextPendingConnection());
            m_server.close();
            m_socket->write(m_data);
        });
        return m_server.serverPort();
    }

    bool finished = false;
    QByteArray received;

private:
    void talk(QTcpSocket *socket)
    {
        m_socket = socket;
        QObject::connect(socket, &QTcpSocket::connected, this, [this] { m_socket->write(m_data); });
        QObject::connect(socket, &QTcpSocket::bytesWritten, this, [this] {
            if (m_socket->bytesToWrite() == 0)
                shutdownWrite(m_socket->socketDescriptor());
        });
        QObject::connect(socket, &QTcpSocket::readyRead, this, [this] { received += m_socket->readAll(); });
        QObject::connect(socket, &QTcpSocket::disconnected, this, [this] {
            received += m_socket->readAll();
            finished = true;
        });
    }

    QByteArray m_data;
    QTcpServer m_server;
    QTcpSocket *m_socket = nullptr;
};

} // namespace simtest
