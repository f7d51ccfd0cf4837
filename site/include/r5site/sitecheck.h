#pragma once

#include "r5/clock.h"
#include "r5device/tcp/echo.h"
#include "r5site/sitecore.h"

#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

class QTcpSocket;

namespace r5site {

// Watches every device of a site: each on a connection of its own, polled with the status request
// at the interval and opened again when the device closes it; at most kMaxOpening connections are
// being opened at once, so a site of hundreds does not flood the network or the system. A poll
// unanswered within the interval, a refused connection and a connection that breaks are missed
// polls; a connection whose poll went unanswered is dropped and opened afresh for the next one.
// Ping round trips come from a few echoes in turn; where the system allows no ICMP they stay
// empty and nothing else changes.
//
// Cheap per report: a report updates its device's status and marks its row; changed() carries the
// marked rows at most every kNotifyMs, so a window repaints only those.
class SiteCheck : public QObject
{
    Q_OBJECT
public:
    static constexpr int kMaxOpening = 64;
    static constexpr int kNotifyMs = 200;
    static constexpr int kEchoes = 8;

    SiteCheck(QList<SiteEntry> devices, const r5::Clock &clock, QObject *parent = nullptr);
    ~SiteCheck() override;

    // 1 to 600 s (clamped); from the next poll of each device.
    void setIntervalSeconds(int seconds);
    int intervalSeconds() const { return m_core.intervalSeconds(); }

    using EchoFactory = std::function<std::unique_ptr<disim::Echo>()>;
    // Where the echoes come from (the system's ICMP echo unless set); an empty factory switches
    // the ping off. Set before start().
    void setEchoFactory(EchoFactory make);

    void start();
    // Closes every connection; the statuses stay as they were.
    void stop();
    bool isRunning() const { return m_running; }

    int size() const { return m_core.size(); }
    const SiteEntry &entry(int i) const { return m_core.entry(i); }
    const DeviceStatus &status(int i) const { return m_core.status(i); }
    SiteCounts counts() const { return m_core.counts(); }
    QString summaryLine() const { return r5site::summaryLine(m_core.counts()); }
    const SiteCore &core() const { return m_core; }
    // The check in the CLI's --json shape (see SiteCore::toJson).
    QJsonObject toJson() const { return m_core.toJson(); }
    // Ends the check as the CLI does: stops, and a device still being checked is not reached.
    void conclude();

Q_SIGNALS:
    // Rows whose contents changed, sorted, each once; at most every kNotifyMs.
    void changed(const QList<int> &indices);
    // Each change of state as it happens, for the program's log (stateChangeText()).
    void stateChanged(const r5site::StateChange &change);
    // Every device has answered at least once and, where the ping works, had its first echo.
    void allAnswered();

private:
    struct Device;
    void tick();
    void poll(int i);
    void openNext();
    void opened(int i);
    void readReport(int i);
    void dropConnection(int i);
    void connectionFailed(int i);
    void pingNext();
    void echoDone(std::size_t echo, const disim::EchoResult &result);
    void flush();

    SiteCore m_core;
    std::vector<std::unique_ptr<Device>> m_devices;
    QList<int> m_toOpen; // waiting for a place among the connections being opened
    int m_opening = 0;
    QTimer m_tick;
    QTimer m_notify;
    EchoFactory m_makeEcho;
    std::vector<std::unique_ptr<disim::Echo>> m_echoes;
    std::vector<int> m_echoTarget; // the device each echo is pinging, -1 when idle
    int m_nextPing = 0;
    bool m_pingAllowed = true;
    bool m_running = false;
    bool m_allAnsweredSaid = false;
};

} // namespace r5site
