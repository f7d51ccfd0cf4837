#include "r5commission/verifyaftersave.h"

using namespace Qt::StringLiterals;

namespace r5commission {

void VerifyAfterSave::start(const Wanted &wanted, bool reboots, qint64 nowMs)
{
    // A save while the last one is still being waited for: both are checked in one go, after
    // the later save's reboot.
    if (!m_active) {
        m_wanted.clear();
        m_sections.clear();
    }
    const Fields fields = wantedFields(wanted);
    for (auto it = fields.cbegin(); it != fields.cend(); ++it)
        m_wanted.insert(it.key(), it.value());
    if (!fields.isEmpty() && !m_sections.contains(sectionOf(fields.firstKey())))
        m_sections.append(sectionOf(fields.firstKey()));
    m_active = !m_wanted.isEmpty();
    m_asked = false;
    m_started = nowMs;
    // A device that does not reboot answers at once; one that does is silent for a while.
    m_next = nowMs + (reboots ? kRebootMs : 0);
}

qint64 VerifyAfterSave::nextDueAt() const
{
    return std::min(m_next, m_started + kGiveUpMs);
}

std::optional<VerifyAfterSave::Outcome> VerifyAfterSave::due(qint64 nowMs)
{
    if (!m_active)
        return std::nullopt;
    if (nowMs - m_started >= kGiveUpMs) {
        m_active = false;
        return Outcome{
            u"Verify gave up: no status answer within %1 s after the %2 save."_s.arg(kGiveUpMs / 1000)
                .arg(section()),
            Verdict::NoAnswer,
            {}};
    }
    m_asked = true;
    m_next = nowMs + kRebootMs;
    return std::nullopt;
}

std::optional<VerifyAfterSave::Outcome> VerifyAfterSave::statusArrived(const r5::protocol::StatusView &status)
{
    // An answer to a request sent before ours may still describe the device before its reboot.
    if (!m_active || !m_asked)
        return std::nullopt;
    m_active = false;
    Outcome out;
    out.reading.status = status;
    const QList<Comparison> rows = compare(m_wanted, deviceFields(out.reading));
    if (allMatch(rows)) {
        out.verdict = Verdict::Ok;
        out.line = u"Verified: "_s + section();
        return out;
    }
    QStringList differing;
    for (const Comparison &c : rows) {
        if (!c.ok)
            differing.append(u"%1 written %2, read %3"_s.arg(c.key, c.wanted, c.device));
    }
    out.verdict = Verdict::Differs;
    out.line = u"Verify failed: "_s + differing.join(u"; "_s);
    return out;
}

} // namespace r5commission
