#pragma once

#include <QtGlobal>

namespace virt {

// Lets the first `perSecond` lines of each second through and counts the rest, so that a
// flood shows as one count a second instead of a line per read. Time comes from the caller.
class FloodGate
{
public:
    explicit FloodGate(int perSecond = 20) : m_perSecond(perSecond) {}

    // True when a line may be written at `nowMs`; otherwise the line is counted as held back.
    bool admit(qint64 nowMs)
    {
        if (nowMs - m_windowStart >= 1000 || nowMs < m_windowStart) {
            m_windowStart = nowMs;
            m_passed = 0;
        }
        if (m_passed < m_perSecond) {
            ++m_passed;
            return true;
        }
        ++m_held;
        return false;
    }

    // Lines held back since the last call.
    qint64 takeHeld()
    {
        const qint64 held = m_held;
        m_held = 0;
        return held;
    }

private:
    int m_perSecond;
    int m_passed = 0;
    qint64 m_windowStart = -1000;
    qint64 m_held = 0;
};

} // namespace virt
