#include "r5device/tcp/devicelink.h"

#include <QTcpSocket>

namespace disim {

DeviceLink::DeviceLink(QObject *parent) : QObject(parent), m_socket(new QTcpSocket(this))
{
    m_wait.setSingleShot(true);
    m_wait.setInterval(kConnectWaitMs);
    connect(&m_wait, &QTimer::timeout, this, [this] {
        if (isConnected())
            sendNow(m_waiting);
        else
            attemptFailed(QStringLiteral("No connection within %1 second").arg(kConnectWaitMs / 1000));
        m_waiting.clear();
        Q_EMIT waitOver();
    });
    connect(m_socket, &QTcpSocket::connected, this, [this] {
        m_target.clear();
        Q_EMIT connected();
    });
    // Qt's own texts name the cause: "Connection refused", "Network unreachable", "Host not found".
    connect(m_socket, &QTcpSocket::errorOccurred, this, [this] { attemptFailed(m_socket->errorString()); });
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
    m_target = host + u':' + QString::number(port);
    m_socket->connectToHost(host, port);
}

void DeviceLink::close()
{
    m_target.clear();
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

void DeviceLink::attemptFailed(const QString &reason)
{
    if (m_target.isEmpty())
        return;
    Q_EMIT failed(std::exchange(m_target, QString()), reason);
}

} // namespace disim
