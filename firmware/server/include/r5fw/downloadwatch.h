#pragma once

#include "r5/clock.h"
#include "r5fw/downloadfollow.h"

#include <QObject>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <optional>

namespace r5fw {

class FirmwareServer;

// This PC's own IPv4 addresses, loopback included: where a download order can name its server.
QStringList localIPv4Addresses();
// The address a device on the LAN reaches this PC at: the first IPv4 address of an interface
// that is up and not the loopback, else "127.0.0.1"; nullopt when the network layer has no
// interfaces at all. No name is resolved (a host name often resolves to 127.0.1.1).
std::optional<QString> primaryIPv4Address();

// Runs a DownloadFollow against a FirmwareServer: feeds it the server's events, the status
// answers and the time (by the Clock, woken by a timer), and sends the status requests it asks
// for through `askStatus`.
class DownloadWatch final : public QObject
{
    Q_OBJECT
public:
    DownloadWatch(FirmwareServer &server, r5::Clock &clock, std::function<void()> askStatus,
                  QObject *parent = nullptr);

    // A download order went out to the device.
    void start(const QString &address, quint16 port, const QString &orderedPath);
    // The device answered a status request with `version` (followed or not: the last one is
    // what the device runs before the next order).
    void statusAnswered(const QString &version);

    bool active() const { return m_follow.active(); }
    const DownloadFollow &follow() const { return m_follow; }
    std::optional<QString> lastVersion() const { return m_lastVersion; }

Q_SIGNALS:
    void line(const QString &line);
    void finished(r5fw::DownloadFollow::Outcome outcome);

private:
    qint64 now() const { return m_clock.utcNow().toMSecsSinceEpoch(); }
    void apply(const DownloadFollow::Step &step);

    FirmwareServer &m_server;
    r5::Clock &m_clock;
    std::function<void()> m_askStatus;
    DownloadFollow m_follow;
    std::optional<QString> m_lastVersion;
    QTimer m_timer;
};

} // namespace r5fw
