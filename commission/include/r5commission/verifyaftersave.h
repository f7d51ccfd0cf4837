#pragma once

#include "r5commission/devicefields.h"
#include "r5commission/profile.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <optional>

namespace r5commission {

// devsetup's "Verify after save": after a save, wait until the device answers a status request
// again, then compare what was written with what it reports, as `r5200tx-cli verify` does. No
// I/O: the window tells it the time and the status answers, and sends the requests it asks for.
class VerifyAfterSave
{
public:
    // How long the device stays silent after a save that reboots it. Status requests are never
    // closer together than this, so a rebooting device is not asked over and over.
    static constexpr qint64 kRebootMs = 1500;
    // With no answer by then, the wait ends with one line.
    static constexpr qint64 kGiveUpMs = 30000;

    struct Outcome
    {
        QString line; // for the log
        Verdict verdict = Verdict::NoAnswer;
        DeviceReading reading; // the status compared (none when nothing came)
    };

    // Starts waiting after the save of `wanted` (one section) sent at `nowMs`; what a wait still
    // running for an earlier save wanted is checked too.
    void start(const Wanted &wanted, bool reboots, qint64 nowMs);
    bool active() const { return m_active; }
    // When to call due() next.
    qint64 nextDueAt() const;
    // The time for the next status request has come: nullopt means send it now; an outcome
    // means the wait has ended without an answer.
    std::optional<Outcome> due(qint64 nowMs);
    // A status answer was decoded: the comparison once one of our requests has gone out.
    std::optional<Outcome> statusArrived(const r5::protocol::StatusView &status);

    // The sections waited for ("WAN", or "WAN, Server").
    QString section() const { return m_sections.join(u", "); }

private:
    bool m_active = false;
    bool m_asked = false;
    Fields m_wanted;
    QStringList m_sections;
    qint64 m_started = 0;
    qint64 m_next = 0;
};

} // namespace r5commission
