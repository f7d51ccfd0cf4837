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

#include <arpa/inet.h>
#include <atomic>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace simtest {

// Makes the next close of `s` a reset (RST) instead of a FIN, as a crashing peer does.
inline void resetOnClose(qintptr fd)
{
    const linger hard{1, 0};
    ::setsockopt(int(fd), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
}

// A peer on a plain socket in a thread of its own, because Qt's socket cannot half-close: it
// writes `data`, shuts its sending side (shutdown(SHUT_WR)) and reads until the other side
// closes. It connects to `port`, or with `listen` waits for the tool on the port it reports.
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
            const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
            sockaddr_in to{};
            to.sin_family = AF_INET;
            to.sin_port = htons(port);
            to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            if (::connect(fd, reinterpret_cast<const sockaddr *>(&to), sizeof to) == 0)
                talk(fd);
            ::close(fd);
            finished = true;
        });
    }
    quint16 listen()
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_listener, reinterpret_cast<const sockaddr *>(&at), sizeof at);
        ::listen(m_listener, 1);
        socklen_t len = sizeof at;
        ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&at), &len);
        m_thread = std::thread([this] {
            const int fd = ::accept(m_listener, nullptr, nullptr);
            ::close(m_listener);
            if (fd >= 0)
                talk(fd);
            ::close(fd);
            finished = true;
        });
        return ntohs(at.sin_port);
    }

    std::atomic<bool> finished{false};
    QByteArray received; // read only once `finished`

private:
    void talk(int fd)
    {
        qsizetype written = 0;
        bool shut = false;
        char buf[65536];
        for (;;) {
            if (written == m_data.size() && !shut) {
                ::shutdown(fd, SHUT_WR);
                shut = true;
            }
            pollfd p{fd, short(POLLIN | (shut ? 0 : POLLOUT)), 0};
            if (::poll(&p, 1, 10000) <= 0)
                return;
            if (p.revents & POLLIN) {
                const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
                if (n <= 0)
                    return;
                received.append(buf, n);
            }
            if (!shut && (p.revents & POLLOUT)) {
                const ssize_t n = ::send(fd, m_data.constData() + written,
                                         size_t(std::min<qsizetype>(m_data.size() - written, 65536)),
                                         MSG_NOSIGNAL | MSG_DONTWAIT);
                if (n > 0)
                    written += n;
            }
        }
    }

    QByteArray m_data;
    int m_listener = -1;
    std::thread m_thread;
};

} // namespace simtest
