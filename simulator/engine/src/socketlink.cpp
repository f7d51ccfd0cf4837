#include "sim/socketlink.h"

#include <QHostAddress>
#include <QTimer>

namespace r5::sim {

namespace {
// How long a closed socket may take to hand its last bytes to a slow peer before it is dropped.
constexpr int kDrainMs = 3000;

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

SocketState stateOf(const QTcpSocket *socket)
{
    if (!socket)
        return SocketState::Closed;
    switch (socket->state()) {
    case QAbstractSocket::ConnectedState:
        return SocketState::Connected;
    case QAbstractSocket::HostLookupState:
    case QAbstractSocket::ConnectingState:
        return SocketState::Connecting;
    default:
        return SocketState::Closed;
    }
}

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

// Wires a connected or connecting socket to its owner's signals. A peer that closes is a close
// event, not an error.
template <typename Owner>
void wire(Owner *owner, QTcpSocket *socket)
{
    QObject::connect(socket, &QTcpSocket::readyRead, owner, [owner, socket] {
        const QByteArray bytes = socket->readAll();
        if (!bytes.isEmpty())
            Q_EMIT owner->dataArrival(bytes);
    });
    QObject::connect(socket, &QTcpSocket::disconnected, owner, [owner] { Q_EMIT owner->peerClosed(); });
    QObject::connect(socket, &QTcpSocket::errorOccurred, owner, [owner, socket](QAbstractSocket::SocketError e) {
        if (e != QAbstractSocket::RemoteHostClosedError)
            Q_EMIT owner->socketError(errorNumber(e), socket->errorString());
    });
}
} // namespace

ClientSocket::ClientSocket(QObject *parent)
    : QObject(parent)
{
}

ClientSocket::~ClientSocket()
{
    if (m_socket)
        m_socket->abort();
}

void ClientSocket::connectTo(const QString &address, quint16 port)
{
    close();
    QHostAddress host;
    if (!host.setAddress(address) || host.protocol() != QAbstractSocket::IPv4Protocol || port == 0)
        return;
    m_socket = new QTcpSocket(this);
    wire(this, m_socket.data());
    connect(m_socket, &QTcpSocket::connected, this, &ClientSocket::connected);
    // The owner learns of a lost link by polling state(); the socket goes with it.
    connect(m_socket, &QTcpSocket::disconnected, this, [this] {
        QTcpSocket *gone = m_socket;
        m_socket.clear();
        retire(this, gone);
    });
    m_socket->connectToHost(host, port);
}

void ClientSocket::close()
{
    QTcpSocket *gone = m_socket;
    m_socket.clear();
    retire(this, gone);
}

SocketState ClientSocket::state() const
{
    return stateOf(m_socket);
}

bool ClientSocket::send(const QByteArray &bytes)
{
    return state() == SocketState::Connected && m_socket->write(bytes) == bytes.size();
}

ServerSocket::ServerSocket(QObject *parent)
    : QObject(parent)
{
    m_server.setMaxPendingConnections(1);
    m_server.setListenBacklogSize(1);
    connect(&m_server, &QTcpServer::newConnection, this, &ServerSocket::takePeer);
}

ServerSocket::~ServerSocket()
{
    if (m_peer)
        m_peer->abort();
}

bool ServerSocket::listen(quint16 port)
{
    close();
    return m_server.listen(QHostAddress::Any, port);
}

void ServerSocket::close()
{
    m_server.close();
    QTcpSocket *gone = m_peer;
    m_peer.clear();
    retire(this, gone);
}

SocketState ServerSocket::state() const
{
    if (m_peer)
        return stateOf(m_peer);
    return m_server.isListening() ? SocketState::Listening : SocketState::Closed;
}

quint16 ServerSocket::port() const
{
    return m_server.isListening() ? m_server.serverPort() : 0;
}

bool ServerSocket::send(const QByteArray &bytes)
{
    return state() == SocketState::Connected && m_peer->write(bytes) == bytes.size();
}

void ServerSocket::takePeer()
{
    // The listener accepts the request itself, so nothing listens until this peer leaves.
    while (QTcpSocket *s = m_server.nextPendingConnection()) {
        if (m_peer) {
            s->abort();
            s->deleteLater();
            continue;
        }
        s->setParent(this);
        m_peer = s;
        wire(this, s);
    }
    m_server.close();
    if (m_peer)
        Q_EMIT connectionRequest();
}

} // namespace r5::sim
