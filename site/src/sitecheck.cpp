#include "r5site/sitecheck.h"

#include "r5device/tcp/command.h"
#include "r5device/tcp/icmpecho.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <algorithm>

namespace r5site {

namespace {
// Polls go out on this beat: a poll is at most this late, and the loop over the devices that
// finds them costs next to nothing even for a site of hundreds.
constexpr int kTickMs = 100;
// The longest an opening connection may hold its place among kMaxOpening, whatever the interval.
constexpr qint64 kMaxOpenMs = 10'000;
// A device's ping is repeated no more often than this: the round trip is for the table, and
// hundreds of echoes a second would cost more than the polls.
constexpr qint64 kPingEveryMs = 10'000;
// Reports are at most 57 bytes; a device that sends more cannot fill our memory.
constexpr qint64 kReadBufferBytes = 1024;
} // namespace

struct SiteCheck::Device
{
    QTcpSocket *socket = nullptr;
    QByteArray pending; // the answer to the poll under way, as it arrives
    qint64 openDeadlineMs = -1;
    qint64 lastPingMs = -1;
    bool queued = false;  // waits in m_toOpen
    bool opening = false; // counted in m_opening
    bool sent = false;    // the poll under way went out on the connection
    bool pinged = false;  // a first echo has finished
};

SiteCheck::SiteCheck(QList<SiteEntry> devices, const r5::Clock &clock, QObject *parent)
    : QObject(parent), m_core(std::move(devices), clock)
{
    m_devices.reserve(std::size_t(m_core.size()));
    for (int i = 0; i < m_core.size(); ++i)
        m_devices.push_back(std::make_unique<Device>());
    m_makeEcho = [] { return std::make_unique<disim::IcmpEcho>(); };
    m_tick.setInterval(kTickMs);
    connect(&m_tick, &QTimer::timeout, this, &SiteCheck::tick);
    m_notify.setSingleShot(true);
    m_notify.setInterval(kNotifyMs);
    connect(&m_notify, &QTimer::timeout, this, &SiteCheck::flush);
}

SiteCheck::~SiteCheck()
{
    stop();
}

void SiteCheck::setIntervalSeconds(int seconds)
{
    m_core.setIntervalSeconds(seconds);
}

void SiteCheck::setEchoFactory(EchoFactory make)
{
    m_makeEcho = std::move(make);
}

void SiteCheck::start()
{
    if (m_running)
        return;
    m_running = true;
    m_pingAllowed = bool(m_makeEcho);
    if (m_pingAllowed && m_echoes.empty()) {
        for (int e = 0; e < kEchoes; ++e) {
            std::unique_ptr<disim::Echo> echo = m_makeEcho();
            if (!echo)
                break;
            const std::size_t at = m_echoes.size();
            connect(echo.get(), &disim::Echo::finished, this,
                    [this, at](const disim::EchoResult &r) { echoDone(at, r); });
            m_echoes.push_back(std::move(echo));
            m_echoTarget.push_back(-1);
        }
        m_pingAllowed = !m_echoes.empty();
    }
    m_tick.start();
    tick();
    pingNext();
}

void SiteCheck::stop()
{
    m_running = false;
    m_tick.stop();
    m_toOpen.clear();
    for (std::size_t e = 0; e < m_echoes.size(); ++e) {
        m_echoes[e]->cancel();
        m_echoTarget[e] = -1;
    }
    for (int i = 0; i < int(m_devices.size()); ++i) {
        Device &d = *m_devices[std::size_t(i)];
        d.queued = false;
        if (d.socket) {
            d.socket->disconnect(this);
            d.socket->abort();
            d.socket->deleteLater();
            d.socket = nullptr;
        }
        d.opening = false;
        d.sent = false;
    }
    m_opening = 0;
}

void SiteCheck::conclude()
{
    stop();
    m_core.expire();
    m_core.conclude();
    flush();
}

void SiteCheck::tick()
{
    if (!m_running)
        return;
    m_core.expire();
    const qint64 now = m_core.nowMs();
    for (int i = 0; i < m_core.size(); ++i) {
        Device &d = *m_devices[std::size_t(i)];
        // Unanswered on a standing connection: the device may have restarted and lost it, or be
        // up and mute; either way the next poll starts on a fresh connection.
        if (d.sent && !m_core.awaiting(i))
            dropConnection(i);
        else if (d.opening && now >= d.openDeadlineMs)
            dropConnection(i);
        const qint64 next = m_core.nextPollMs(i);
        if (next < 0 || next <= now)
            poll(i);
    }
    openNext();
    if (m_pingAllowed)
        pingNext();
    if (!m_notify.isActive())
        m_notify.start();
}

void SiteCheck::poll(int i)
{
    Device &d = *m_devices[std::size_t(i)];
    m_core.polled(i);
    d.pending.clear();
    d.sent = false;
    if (d.socket && d.socket->state() == QAbstractSocket::ConnectedState) {
        d.socket->write(disim::buildCommand(disim::Command::Request, 0, 0, 0));
        d.sent = true;
        return;
    }
    if (!d.opening && !d.queued) {
        d.queued = true;
        m_toOpen.append(i);
    }
}

void SiteCheck::openNext()
{
    while (m_running && m_opening < kMaxOpening && !m_toOpen.isEmpty()) {
        const int i = m_toOpen.takeFirst();
        Device &d = *m_devices[std::size_t(i)];
        d.queued = false;
        if (!d.socket) {
            d.socket = new QTcpSocket(this);
            d.socket->setReadBufferSize(kReadBufferBytes);
            connect(d.socket, &QTcpSocket::connected, this, [this, i] { opened(i); });
            connect(d.socket, &QTcpSocket::readyRead, this, [this, i] { readReport(i); });
            connect(d.socket, &QAbstractSocket::stateChanged, this,
                    [this, i](QAbstractSocket::SocketState s) {
                        if (s == QAbstractSocket::UnconnectedState)
                            connectionFailed(i);
                    });
        }
        d.opening = true;
        ++m_opening;
        d.openDeadlineMs = m_core.nowMs() + std::min(m_core.intervalMs(), kMaxOpenMs);
        const SiteEntry &e = m_core.entry(i);
        d.socket->connectToHost(e.address, e.port);
    }
}

void SiteCheck::opened(int i)
{
    Device &d = *m_devices[std::size_t(i)];
    if (d.opening) {
        d.opening = false;
        --m_opening;
    }
    if (m_core.awaiting(i)) {
        d.pending.clear();
        d.socket->write(disim::buildCommand(disim::Command::Request, 0, 0, 0));
        d.sent = true;
    }
    openNext();
}

void SiteCheck::readReport(int i)
{
    Device &d = *m_devices[std::size_t(i)];
    d.pending += d.socket->readAll();
    // One answer per poll, normally in one piece; pieces are joined until they make a report,
    // and anything longer than the longest report is noise until the next poll.
    if (d.pending.size() > disim::Report::kWithGapTimes) {
        d.pending.clear();
        return;
    }
    const std::optional<disim::Report> report = disim::decodeReport(d.pending);
    if (!report)
        return;
    d.pending.clear();
    d.sent = false;
    m_core.answered(i, *report);
    if (!m_notify.isActive())
        m_notify.start();
}

void SiteCheck::dropConnection(int i)
{
    Device &d = *m_devices[std::size_t(i)];
    if (d.socket)
        d.socket->abort(); // ends in connectionFailed() through the state change
}

void SiteCheck::connectionFailed(int i)
{
    Device &d = *m_devices[std::size_t(i)];
    const bool wasOpening = d.opening;
    if (d.opening) {
        d.opening = false;
        --m_opening;
    }
    // Refused, timed out, or closed by the device before it answered: the poll is missed now
    // rather than at the end of the interval. A connection closed after the answer costs nothing:
    // the next poll opens it again.
    if ((wasOpening || d.sent) && m_core.awaiting(i)) {
        m_core.failed(i);
        if (!m_notify.isActive())
            m_notify.start();
    }
    d.sent = false;
    d.pending.clear();
    if (m_running)
        QMetaObject::invokeMethod(this, &SiteCheck::openNext, Qt::QueuedConnection);
}

void SiteCheck::pingNext()
{
    if (!m_running || !m_pingAllowed)
        return;
    const qint64 now = m_core.nowMs();
    const qint64 every = std::max<qint64>(m_core.intervalMs(), kPingEveryMs);
    for (std::size_t e = 0; e < m_echoes.size(); ++e) {
        if (m_echoTarget[e] >= 0)
            continue;
        // The next device due for an echo, round the list from where the last search ended.
        int found = -1;
        for (int n = 0; n < m_core.size() && found < 0; ++n) {
            const int i = (m_nextPing + n) % m_core.size();
            Device &d = *m_devices[std::size_t(i)];
            if (d.lastPingMs >= 0 && now - d.lastPingMs < every)
                continue;
            d.lastPingMs = now;
            if (QHostAddress(m_core.entry(i).address).protocol() != QAbstractSocket::IPv4Protocol) {
                d.pinged = true; // a host name: the echo goes by address only
                continue;
            }
            found = i;
        }
        if (found < 0)
            return;
        m_nextPing = (found + 1) % m_core.size();
        m_echoTarget[e] = found;
        m_echoes[e]->start(QHostAddress(m_core.entry(found).address));
    }
}

void SiteCheck::echoDone(std::size_t echo, const disim::EchoResult &result)
{
    const int i = m_echoTarget[echo];
    m_echoTarget[echo] = -1;
    if (i < 0)
        return;
    m_devices[std::size_t(i)]->pinged = true;
    if (result.status == disim::EchoResult::Status::NotPermitted) {
        // No echo here (no rights, no ICMP): the column stays empty and the check goes on.
        m_pingAllowed = false;
        for (auto &d : m_devices)
            d->pinged = true;
        return;
    }
    m_core.setPing(i, result.status == disim::EchoResult::Status::Reply
                          ? std::optional<int>(result.roundTripMs)
                          : std::nullopt);
    if (!m_notify.isActive())
        m_notify.start();
    pingNext();
}

void SiteCheck::flush()
{
    for (const StateChange &c : m_core.takeStateChanges())
        Q_EMIT stateChanged(c);
    const QList<int> dirty = m_core.takeDirty();
    if (!dirty.isEmpty())
        Q_EMIT changed(dirty);
    if (!m_allAnsweredSaid && m_core.allAnswered()) {
        const bool pinged = !m_pingAllowed || std::all_of(m_devices.begin(), m_devices.end(),
                                                          [](const auto &d) { return d->pinged; });
        if (pinged) {
            m_allAnsweredSaid = true;
            Q_EMIT allAnswered();
        }
    }
}

} // namespace r5site
