#pragma once

#include "r5/clock.h"
#include "r5device/tcp/report.h"
#include "r5site/sitelist.h"

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

// The site check without sockets or timers: which state each device is in, from the polls sent to
// it and the reports that came back, with time from the Clock seam.
namespace r5site {

// "checking" lasts until a device has answered or three polls have gone unanswered.
enum class SiteState { Checking, Online, Offline, NotReached };

// The word the user sees: "checking", "online", "offline", "not reached".
QString stateText(SiteState state);

struct SiteCounts
{
    int devices = 0;
    int online = 0;
    int offline = 0;
    int notReached = 0;
    int checking = 0;
};

// "N devices: A online, B offline, C not reached", then ", D checking" while any are.
QString summaryLine(const SiteCounts &counts);

struct DeviceStatus
{
    SiteState state = SiteState::Checking;
    QDateTime lastReport;              // local time; invalid until the first report
    std::optional<int> pingMs;         // the last echo's round trip; none without an answer
    std::optional<disim::Report> last; // the last report
    bool countersMoved = false;        // a counter differs from the first report's
    int polls = 0;                     // sent since the check began
    int missed = 0;                    // polls in a row that went unanswered

    // The six input and two output characters ("010000", "00"); empty before a report.
    QString inputsText() const;
    QString outputsText() const;
};

// One state change, for the program's log and the window.
struct StateChange
{
    int index = 0;
    SiteState from = SiteState::Checking;
    SiteState to = SiteState::Checking;
};

// "127.0.2.5:4000 Hall 3 (02:52:00:00:00:05): online -> offline". Label and MAC only where known.
QString stateChangeText(const SiteEntry &entry, SiteState from, SiteState to);

class SiteCore
{
public:
    static constexpr int kMinIntervalSeconds = 1;
    static constexpr int kMaxIntervalSeconds = 600;
    static constexpr int kDefaultIntervalSeconds = 2;
    // A device is offline (or not reached) after this many unanswered polls in a row.
    static constexpr int kMisses = 3;

    SiteCore(QList<SiteEntry> entries, const r5::Clock &clock);

    // 1 to 600 s; other values are clamped. A poll under way keeps the interval it was sent with.
    void setIntervalSeconds(int seconds);
    int intervalSeconds() const { return m_intervalMs / 1000; }
    qint64 intervalMs() const { return m_intervalMs; }

    int size() const { return int(m_entries.size()); }
    const QList<SiteEntry> &entries() const { return m_entries; }
    const SiteEntry &entry(int i) const { return m_entries.at(i); }
    const DeviceStatus &status(int i) const { return m_status.at(std::size_t(i)); }

    // A poll goes to device `i` now (a request on its connection, or the opening of one for it).
    // A poll still unanswered counts as missed first.
    void polled(int i);
    // Device `i` sent a report: it is online and its poll is answered.
    void answered(int i, const disim::Report &report);
    // The connection of device `i` was refused or broke: its poll under way is missed now.
    void failed(int i);
    // Polls unanswered for a whole interval are missed. Call at least a few times an interval.
    void expire();
    // When the check ends: a device still being checked has not been reached.
    void conclude();
    void setPing(int i, std::optional<int> roundTripMs);

    // True when a poll of device `i` is unanswered.
    bool awaiting(int i) const { return m_poll.at(std::size_t(i)).deadlineMs >= 0; }
    // When device `i` is due for its next poll (UTC ms since the epoch), -1 when never polled.
    qint64 nextPollMs(int i) const { return m_poll.at(std::size_t(i)).nextMs; }
    qint64 nowMs() const;

    SiteCounts counts() const { return m_counts; }
    // True once every device has answered at least once.
    bool allAnswered() const { return m_everAnswered == size(); }

    // Devices whose row changed since the last call, in index order, each once.
    QList<int> takeDirty();
    // State changes since the last call, in the order they happened.
    QList<StateChange> takeStateChanges();

    // The check as the CLI's --json and the handover report read it: devices (label, mac,
    // address, port, state, lastReport, pingMs, inputs, outputs, counters, countersMoved) and
    // the counts online, offline and notReached.
    QJsonObject toJson() const;

private:
    struct Poll
    {
        qint64 deadlineMs = -1; // when the unanswered poll is missed, -1 when none
        qint64 nextMs = -1;
    };
    void miss(int i);
    void setState(int i, SiteState state);
    void markDirty(int i);

    const r5::Clock &m_clock;
    QList<SiteEntry> m_entries;
    std::vector<DeviceStatus> m_status;
    std::vector<Poll> m_poll;
    std::vector<std::array<std::uint32_t, 6>> m_firstCounters;
    std::vector<char> m_dirtyFlag;
    QList<int> m_dirty;
    QList<StateChange> m_changes;
    SiteCounts m_counts;
    int m_everAnswered = 0;
    qint64 m_intervalMs = kDefaultIntervalSeconds * 1000;
};

} // namespace r5site
