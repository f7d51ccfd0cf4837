#pragma once

// A TCP peer on 127.0.0.1 for the tool to talk to, and a port nobody listens on.
#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <atomic>
#include <future>
#include <memory>
#include <thread>

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

// A peer in a thread of its own that writes `data`, half-closes once all of it has left and
// reads until the other side closes. It connects to `port`, or with `listen` waits for the tool
// on the port it reports. It waits with Qt's blocking calls, which look at the socket itself:
// Winsock announces a peer's close only once, and under Wine an event-driven QTcpSocket can
// miss it.
class HalfClosingPeer
{
public:
    explicit HalfClosingPeer(QByteArray data) : m_data(std::move(data)) {}
    ~HalfClosingPeer()
    {
        if (m_thread.joinable())
            m_thread.join();
    }

    void connectTo(quint16 port)
    {
        m_thread = std::thread([this, port] {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, port);
            if (socket.waitForConnected(10000))
                talk(socket);
            finished = true;
        });
    }
    quint16 listen()
    {
        std::promise<quint16> port;
        std::future<quint16> listening = port.get_future();
        m_thread = std::thread([this, &port] {
            QTcpServer server;
            server.listen(QHostAddress::LocalHost, 0);
            port.set_value(server.serverPort());
            if (server.waitForNewConnection(10000)) {
                const std::unique_ptr<QTcpSocket> socket(server.nextPendingConnection());
                server.close();
                talk(*socket);
            }
            finished = true;
        });
        return listening.get();
    }

    std::atomic<bool> finished{false};
    QByteArray received; // read only once `finished`

private:
    void talk(QTcpSocket &socket)
    {
        // What arrives meanwhile is kept in the socket's buffer, so the tool never stalls on us.
        socket.write(m_data);
        while (socket.bytesToWrite() > 0 && socket.waitForBytesWritten(10000)) {
        }
        shutdownWrite(socket.socketDescriptor());
        do {
            received += socket.readAll();
        } while (socket.waitForReadyRead(10000));
        received += socket.readAll();
    }

    QByteArray m_data;
    std::thread m_thread;
};

} // namespace simtest
