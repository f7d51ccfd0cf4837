#pragma once

#include "r5device/tcp/echo.h"

#include <QElapsedTimer>
#include <QTimer>

namespace disim {

// ICMPv4 echo through what the system allows without administrator rights. On Linux: an
// unprivileged ICMP datagram socket where net.ipv4.ping_group_range admits the user, else a raw
// socket (root or CAP_NET_RAW). On Windows: the system's ICMP service (IcmpSendEcho2).
// Waiting is event-driven (a notifier and a time-out timer), so the caller's thread never blocks.
class IcmpEcho final : public Echo
{
    Q_OBJECT
public:
    // The Linux socket kinds; Windows' ICMP service needs no socket of its own and ignores them.
    enum SocketKind { Datagram = 1, Raw = 2 };
    Q_DECLARE_FLAGS(SocketKinds, SocketKind)

    // `kinds` limits the socket kinds tried, in the order datagram, raw.
    explicit IcmpEcho(SocketKinds kinds = SocketKinds(Datagram | Raw), QObject *parent = nullptr);
    ~IcmpEcho() override;

    void start(const QHostAddress &target) override;
    void cancel() override;

private:
    struct Platform; // icmpecho_linux.cpp, icmpecho_win.cpp
    static Platform *newPlatform();
    static void deletePlatform(Platform *platform);

    // The platform's part: sends one request to m_target and ends in finish() when the reply
    // comes; false with `reason` when the system allows no echo here.
    bool sendRequest(QString &reason);
    // Drops the request under way, if any.
    void dropRequest();
    void finish(const EchoResult &result);
    void finishLater(const EchoResult &result);

    SocketKinds m_kinds;
    Platform *m_platform;
    QTimer m_timeout;
    QElapsedTimer m_elapsed;
    QHostAddress m_target;
    quint64 m_attempt = 0;
    bool m_active = false;
};

} // namespace disim

Q_DECLARE_OPERATORS_FOR_FLAGS(disim::IcmpEcho::SocketKinds)
