#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

class QTcpSocket;

namespace disim {

// The one TCP connection to the device, client side only. A send while not connected reopens
// the connection and waits one second without blocking anyone; the command then goes out only
// if the connection stands by the end of the wait.
class DeviceLink : public QObject
{
    Q_OBJECT
public:
    static constexpr int kConnectWaitMs = 1000;

    explicit DeviceLink(QObject *parent = nullptr);
    ~DeviceLink() override;

    // Closes whatever is open and starts connecting. An attempt that fails reports failed() once.
    void open(const QString &host, quint16 port);
    // Closing from this side raises no closed().
    void close();
    bool isConnected() const;
    // True while a send waits for its reconnection.
    bool isWaiting() const { return m_wait.isActive(); }

    // Sends `command` in one write when connected; otherwise opens `host`:`port` and tries
    // once more after the wait. Ignored while a wait is running.
    void send(const QByteArray &command, const QString &host, quint16 port);

Q_SIGNALS:
    void connected();
    void closed();
    void arrived(const QByteArray &bytes);
    void sent(const QByteArray &command);
    void waitOver();
    // The attempt to reach `target` ("host:port") failed: refused, unreachable, unknown host, or
    // no connection by the end of a send's wait.
    void failed(const QString &target, const QString &reason);

private:
    void sendNow(const QByteArray &command);
    void attemptFailed(const QString &reason);

    QTcpSocket *m_socket = nullptr;
    QTimer m_wait;
    QByteArray m_waiting;
    bool m_closingHere = false;
    QString m_target; // of the attempt under way; empty when none is
};

} // namespace disim
