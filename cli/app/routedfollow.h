#pragma once

#include "r5/clock.h"
#include "r5fw/downloadfollow.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>

namespace r5fw {
class FirmwareServer;
}

namespace r5cli {

class TransferRouter;

// One device's follow-up of its download on a bench, where one server serves every device: as
// r5fw::DownloadWatch, but fed only the server's events that the router finds are this device's.
class RoutedFollow final : public QObject
{
    Q_OBJECT
public:
    RoutedFollow(TransferRouter &router, r5::Clock &clock, std::function<void()> askStatus,
                 QObject *parent = nullptr);
    ~RoutedFollow() override;

    // The device reports `deviceAddress` as its WAN address: a request from there is its own.
    void start(const QString &address, quint16 port, const QString &orderedPath,
               const QString &deviceAddress);
    void statusAnswered(const QString &version);
    bool active() const { return m_follow.active(); }
    const r5fw::DownloadFollow &follow() const { return m_follow; }

Q_SIGNALS:
    void line(const QString &line);
    void finished(r5fw::DownloadFollow::Outcome outcome);

private:
    friend class TransferRouter;
    qint64 now() const { return m_clock.utcNow().toMSecsSinceEpoch(); }
    void apply(const r5fw::DownloadFollow::Step &step);

    TransferRouter &m_router;
    r5::Clock &m_clock;
    std::function<void()> m_askStatus;
    r5fw::DownloadFollow m_follow;
    std::optional<QString> m_lastVersion;
    QString m_deviceAddress;
    qint64 m_orderedAt = 0;
    bool m_served = false; // a whole transfer was given to this device
    QTimer m_timer;
};

// Hands each event of the one firmware server to the device it belongs to. A transfer is the
// device's whose WAN address asked for it; when no waiting device has that address (a device
// behind a router, several virtual devices on one PC), the one that was ordered first and has
// had nothing yet. A refusal, which names no peer, goes to a device only when one alone waits.
class TransferRouter final : public QObject
{
    Q_OBJECT
public:
    TransferRouter(r5fw::FirmwareServer &server, QObject *parent = nullptr);

    r5fw::FirmwareServer &server() const { return m_server; }

private:
    friend class RoutedFollow;
    QList<RoutedFollow *> waiting() const;

    r5fw::FirmwareServer &m_server;
    QList<QPointer<RoutedFollow>> m_follows;
};

} // namespace r5cli
