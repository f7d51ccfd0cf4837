#include "r5site/sitecore.h"

#include <QJsonArray>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace r5site {

QString stateText(SiteState state)
{
    switch (state) {
    case SiteState::Checking:
        return u"checking"_s;
    case SiteState::Online:
        return u"online"_s;
    case SiteState::Offline:
        return u"offline"_s;
    case SiteState::NotReached:
        return u"not reached"_s;
    }
    return {};
}

QString summaryLine(const SiteCounts &counts)
{
    QString line = u"%1 devices: %2 online, %3 offline, %4 not reached"_s.arg(counts.devices)
                       .arg(counts.online)
                       .arg(counts.offline)
                       .arg(counts.notReached);
    if (counts.checking > 0)
        line += u", %1 checking"_s.arg(counts.checking);
    return line;
}

QString DeviceStatus::inputsText() const
{
    return last ? QString(last->inputs.data(), qsizetype(last->inputs.size())) : QString();
}

QString DeviceStatus::outputsText() const
{
    return last ? QString(last->outputs.data(), qsizetype(last->outputs.size())) : QString();
}

QString stateChangeText(const SiteEntry &entry, SiteState from, SiteState to)
{
    QString who = entry.address + u':' + QString::number(entry.port);
    if (!entry.label.isEmpty())
        who += u' ' + entry.label;
    if (!entry.mac.isEmpty())
        who += u" ("_s + entry.mac + u')';
    return who + u": "_s + stateText(from) + u" -> "_s + stateText(to);
}

SiteCore::SiteCore(QList<SiteEntry> entries, const r5::Clock &clock)
    : m_clock(clock), m_entries(std::move(entries)), m_status(std::size_t(m_entries.size())),
      m_poll(std::size_t(m_entries.size())), m_firstCounters(std::size_t(m_entries.size())),
      m_dirtyFlag(std::size_t(m_entries.size()), 0)
{
    m_counts.devices = size();
    m_counts.checking = size();
}

void SiteCore::setIntervalSeconds(int seconds)
{
    m_intervalMs = qint64(std::clamp(seconds, kMinIntervalSeconds, kMaxIntervalSeconds)) * 1000;
}

qint64 SiteCore::nowMs() const
{
    return m_clock.utcNow().toMSecsSinceEpoch();
}

void SiteCore::polled(int i)
{
    Poll &p = m_poll[std::size_t(i)];
    if (p.deadlineMs >= 0)
        miss(i);
    const qint64 now = nowMs();
    p.deadlineMs = now + m_intervalMs;
    // On the schedule rather than from the moment the poll went out, so the polls of a long check
    // do not drift; a poll that fell behind by a whole interval starts the schedule afresh.
    p.nextMs = p.nextMs >= 0 && now - p.nextMs < m_intervalMs ? p.nextMs + m_intervalMs : now + m_intervalMs;
    ++m_status[std::size_t(i)].polls;
}

void SiteCore::answered(int i, const disim::Report &report)
{
    DeviceStatus &s = m_status[std::size_t(i)];
    m_poll[std::size_t(i)].deadlineMs = -1;
    if (!s.last) {
        m_firstCounters[std::size_t(i)] = report.counters;
        ++m_everAnswered;
    } else if (!s.countersMoved && report.counters != m_firstCounters[std::size_t(i)]) {
        s.countersMoved = true;
    }
    s.last = report;
    s.lastReport = m_clock.localNow();
    s.missed = 0;
    setState(i, SiteState::Online);
    markDirty(i);
}

void SiteCore::failed(int i)
{
    if (m_poll[std::size_t(i)].deadlineMs < 0)
        return;
    miss(i);
}

void SiteCore::expire()
{
    const qint64 now = nowMs();
    for (int i = 0; i < size(); ++i) {
        const qint64 deadline = m_poll[std::size_t(i)].deadlineMs;
        if (deadline >= 0 && deadline <= now)
            miss(i);
    }
}

void SiteCore::miss(int i)
{
    m_poll[std::size_t(i)].deadlineMs = -1;
    DeviceStatus &s = m_status[std::size_t(i)];
    ++s.missed;
    if (s.missed >= kMisses)
        setState(i, s.last ? SiteState::Offline : SiteState::NotReached);
}

void SiteCore::conclude()
{
    for (int i = 0; i < size(); ++i) {
        if (m_status[std::size_t(i)].state == SiteState::Checking)
            setState(i, SiteState::NotReached);
    }
}

void SiteCore::setPing(int i, std::optional<int> roundTripMs)
{
    DeviceStatus &s = m_status[std::size_t(i)];
    if (s.pingMs == roundTripMs)
        return;
    s.pingMs = roundTripMs;
    markDirty(i);
}

void SiteCore::setState(int i, SiteState state)
{
    DeviceStatus &s = m_status[std::size_t(i)];
    if (s.state == state)
        return;
    const auto count = [this](SiteState st) -> int & {
        switch (st) {
        case SiteState::Online:
            return m_counts.online;
        case SiteState::Offline:
            return m_counts.offline;
        case SiteState::NotReached:
            return m_counts.notReached;
        case SiteState::Checking:
            break;
        }
        return m_counts.checking;
    };
    --count(s.state);
    ++count(state);
    m_changes.append({i, s.state, state});
    s.state = state;
    markDirty(i);
}

void SiteCore::markDirty(int i)
{
    char &flag = m_dirtyFlag[std::size_t(i)];
    if (flag)
        return;
    flag = 1;
    m_dirty.append(i);
}

QList<int> SiteCore::takeDirty()
{
    QList<int> out;
    out.swap(m_dirty);
    for (const int i : std::as_const(out))
        m_dirtyFlag[std::size_t(i)] = 0;
    std::sort(out.begin(), out.end());
    return out;
}

QList<StateChange> SiteCore::takeStateChanges()
{
    QList<StateChange> out;
    out.swap(m_changes);
    return out;
}

QJsonObject SiteCore::toJson() const
{
    const auto text = [](const QString &t) { return t.isEmpty() ? QJsonValue() : QJsonValue(t); };
    QJsonArray devices;
    for (int i = 0; i < size(); ++i) {
        const SiteEntry &e = entry(i);
        const DeviceStatus &s = status(i);
        QJsonValue counters;
        if (s.last) {
            QJsonArray c;
            for (const std::uint32_t v : s.last->counters)
                c.append(qint64(v));
            counters = c;
        }
        QJsonValue lastReport;
        if (s.lastReport.isValid())
            lastReport =
                s.lastReport.toOffsetFromUtc(s.lastReport.offsetFromUtc()).toString(Qt::ISODateWithMs);
        devices.append(QJsonObject{{u"label"_s, text(e.label)},
                                   {u"mac"_s, text(e.mac)},
                                   {u"address"_s, e.address},
                                   {u"port"_s, int(e.port)},
                                   {u"state"_s, stateText(s.state)},
                                   {u"lastReport"_s, lastReport},
                                   {u"pingMs"_s, s.pingMs ? QJsonValue(*s.pingMs) : QJsonValue()},
                                   {u"inputs"_s, text(s.inputsText())},
                                   {u"outputs"_s, text(s.outputsText())},
                                   {u"counters"_s, counters},
                                   {u"countersMoved"_s, s.countersMoved}});
    }
    return QJsonObject{{u"devices"_s, devices},
                       {u"online"_s, m_counts.online},
                       {u"offline"_s, m_counts.offline},
                       {u"notReached"_s, m_counts.notReached}};
}

} // namespace r5site
