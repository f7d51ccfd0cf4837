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

} // namespace simtest
