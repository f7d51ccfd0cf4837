#include "net/devicelink.h"

#include <QTcpSocket>

namespace disim {

DeviceLink::DeviceLink(QObject *parent) : QObject(parent), m_socket(new QTcpSocket(this))
{
    m_wait.setSingleShot(true);
    m_wait.setInterval(kConnectWaitMs);
    connect(&m_wait, &QTimer::timeout, this, [this] {
        if (isConnected())
            sendNow(m_waiting);
        m_waiting.clear();
        Q_EMIT waitOver();
    });
    connect(m_socket, &QTcpSocket::connected, this, &DeviceLink::connected);
    connect(m_socket, &QTcpSocket::disconnected, this, [this] {
        if (!m_closingHere)
            Q_EMIT closed();
    });
    connect(m_socket, &QTcpSocket::readyRead, this, [this] { Q_EMIT arrived(m_socket->readAll()); });
}

DeviceLink::~DeviceLink()
{
    // The socket goes with us; its last disconnected() must not reach a half-destroyed owner.
    m_socket->disconnect(this);
}

void DeviceLink::open(const QString &host, quint16 port)
{
    close();
    m_socket->connectToHost(host, port);
}

void DeviceLink::close()
{
    m_closingHere = true;
    m_socket->abort();
    m_closingHere = false;
}

bool DeviceLink::isConnected() const
{
    return m_socket->state() == QAbstractSocket::ConnectedState;
}

void DeviceLink::send(const QByteArray &command, const QString &host, quint16 port)
{
    if (isWaiting())
        return;
    if (isConnected()) {
        sendNow(command);
        return;
    }
    open(host, port);
    m_waiting = command;
    m_wait.start();
}

void DeviceLink::sendNow(const QByteArray &command)
{
    m_socket->write(command);
    Q_EMIT sent(command);
}

} // namespace disim
