#include "sim/socketlink.h"

#include <QHostAddress>
#include <QTimer>

namespace r5::sim {

namespace {
constexpr qint64 kArrivalMax = 256 * 1024;
constexpr qint64 kSendHigh = 1024 * 1024;
constexpr qint64 kSendLow = 256 * 1024;
// How long a closed socket may take to hand its last bytes to a slow peer before it is dropped.
constexpr int kDrainMs = 3000;

// Error numbers as the records of the tool have always shown them (the Windows socket codes),
// so old and new error files read alike.
int errorNumber(QAbstractSocket::SocketError e)
{
    switch (e) {
    case QAbstractSocket::ConnectionRefusedError:
        return 10061;
    case QAbstractSocket::RemoteHostClosedError:
        return 10054;
    case QAbstractSocket::HostNotFoundError:
        return 11001;
    case QAbstractSocket::SocketAccessError:
        return 10013;
    case QAbstractSocket::SocketResourceError:
        return 10055;
    case QAbstractSocket::SocketTimeoutError:
        return 10060;
    case QAbstractSocket::NetworkError:
        return 10050;
    case QAbstractSocket::AddressInUseError:
        return 10048;
    case QAbstractSocket::SocketAddressNotAvailableError:
        return 10049;
    case QAbstractSocket::UnsupportedSocketOperationError:
        return 10045;
    default:
        return int(e);
    }
}

// Stops listening to a socket and lets it finish sending what it holds, then deletes it.
void retire(QObject *owner, QTcpSocket *socket)
{
    if (!socket)
        return;
    QObject::disconnect(socket, nullptr, owner, nullptr);
    if (socket->state() != QAbstractSocket::ConnectedState) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    QTimer::singleShot(kDrainMs, socket, [socket] {
        socket->abort();
        socket->deleteLater();
    });
    socket->disconnectFromHost();
}
} // namespace

SocketLink::SocketLink(QObject *parent) : QObject(parent) {}

SocketLink::~SocketLink()
{
    // Nothing is reported from a link that is going away.
    if (m_socket) {
        QObject::disconnect(m_socket, nullptr, this, nullptr);
        m_socket->abort();
    }
}

SocketState SocketLink::state() const
{
    if (!m_socket)
        return SocketState::Closed;
    switch (m_socket->state()) {
    case QAbstractSocket::ConnectedState:
        return SocketState::Connected;
    case QAbstractSocket::HostLookupState:
    case QAbstractSocket::ConnectingState:
        return SocketState::Connecting;
    default:
        return SocketState::Closed;
    }
}

bool SocketLink::send(const QByteArray &bytes)
{
    return SocketLink::state() == SocketState::Connected && m_socket->write(bytes) == bytes.size();
}

void SocketLink::attach(QTcpSocket *socket)
{
    release();
    m_socket = socket;
    m_paused = false;
    socket->setParent(this);
    socket->setReadBufferSize(kArrivalMax);
    connect(socket, &QTcpSocket::readyRead, this, &SocketLink::readWaiting);
    connect(socket, &QTcpSocket::bytesWritten, this, [this] {
        if (m_paused && m_socket && m_socket->bytesToWrite() <= kSendLow) {
            m_paused = false;
            readWaiting();
        }
    });
    // A peer that closes is a close event, not an error. What it sent last is shown first.
    connect(socket, &QTcpSocket::disconnected, this, [this] {
        m_paused = false;
        while (m_socket && m_socket->bytesAvailable() > 0)
            readWaiting();
        Q_EMIT peerClosed();
    });
    connect(socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError e) {
        if (e != QAbstractSocket::RemoteHostClosedError && m_socket)
            Q_EMIT socketError(errorNumber(e), m_socket->errorString());
    });
}

void SocketLink::readWaiting()
{
    if (!m_socket)
        return;
    if (m_socket->bytesToWrite() > kSendHigh && m_socket->state() == QAbstractSocket::ConnectedState) {
        m_paused = true;
        return;
    }
    const QByteArray bytes = m_socket->read(kArrivalMax);
    if (!bytes.isEmpty())
        Q_EMIT dataArrival(bytes);
}

void SocketLink::release()
{
    QTcpSocket *gone = m_socket;
    m_socket.clear();
    m_paused = false;
    retire(this, gone);
}

ClientSocket::ClientSocket(QObject *parent) : SocketLink(parent) {}

void ClientSocket::connectTo(const QString &address, quint16 port)
{
    release();
    QHostAddress host;
    if (!host.setAddress(address) || host.protocol() != QAbstractSocket::IPv4Protocol || port == 0)
        return;
    auto *s = new QTcpSocket(this);
    attach(s);
    connect(s, &QTcpSocket::connected, this, &ClientSocket::connected);
    // The owner learns of a lost link by polling state(); the socket goes with it.
    connect(s, &QTcpSocket::disconnected, this, &ClientSocket::release);
    s->connectToHost(host, port);
}

ServerSocket::ServerSocket(QObject *parent) : SocketLink(parent)
{
    m_server.setMaxPendingConnections(1);
    m_server.setListenBacklogSize(1);
    connect(&m_server, &QTcpServer::newConnection, this, &ServerSocket::takePeer);
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
    if (socket())
        return SocketLink::state();
    return m_server.isListening() ? SocketState::Listening : SocketState::Closed;
}

quint16 ServerSocket::port() const
{
    return m_server.isListening() ? m_server.serverPort() : 0;
}

void ServerSocket::takePeer()
{
    // The listener accepts the request itself, so nothing listens until this peer leaves.
    while (QTcpSocket *s = m_server.nextPendingConnection()) {
        if (socket()) {
            s->abort();
            s->deleteLater();
            continue;
        }
        attach(s);
    }
    m_server.close();
    if (socket())
        Q_EMIT connectionRequest();
}

} // namespace r5::sim
