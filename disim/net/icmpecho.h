#pragma once

#include "net/echo.h"

#include <QElapsedTimer>
#include <QTimer>

class QSocketNotifier;

namespace disim {

// ICMPv4 echo through the sockets the system allows: an unprivileged ICMP datagram socket
// where net.ipv4.ping_group_range admits the user, else a raw socket (root or CAP_NET_RAW).
// Waiting is event-driven (socket notifier and a time-out timer), so the caller's thread never
// blocks.
class IcmpEcho final : public Echo
{
    Q_OBJECT
public:
    enum SocketKind { Datagram = 1, Raw = 2 };
    Q_DECLARE_FLAGS(SocketKinds, SocketKind)

    // `kinds` limits the socket kinds tried, in the order datagram, raw.
    explicit IcmpEcho(SocketKinds kinds = SocketKinds(Datagram | Raw), QObject *parent = nullptr);
    ~IcmpEcho() override;

    void start(const QHostAddress &target) override;
    void cancel() override;

private:
    bool openSocket(QString &reason);
    void readReplies();
    void finish(const EchoResult &result);
    void finishLater(const EchoResult &result);
    void closeSocket();

    SocketKinds m_kinds;
    int m_fd = -1;
    bool m_raw = false;
    QSocketNotifier *m_notifier = nullptr;
    QTimer m_timeout;
    QElapsedTimer m_elapsed;
    QHostAddress m_target;
    quint16 m_id = 0;
    quint16 m_sequence = 0;
    quint64 m_attempt = 0;
    bool m_active = false;
};

} // namespace disim

Q_DECLARE_OPERATORS_FOR_FLAGS(disim::IcmpEcho::SocketKinds)
