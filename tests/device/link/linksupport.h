#pragma once

#include "r5device/lineerrorprobe.h"
#include "r5device/seriallink.h"

#include <QList>
#include <optional>

// A driver error record the test writes: each poll() takes the next scripted answer (none
// left: no errors). `alive` tells whether the link still holds the probe.
struct ProbeScript
{
    QList<std::optional<r5setup::LineErrors>> answers;
    bool alive = false;
    int polls = 0;
};

class FakeProbe final : public r5setup::LineErrorProbe
{
public:
    explicit FakeProbe(ProbeScript &script) : m_script(script) { m_script.alive = true; }
    ~FakeProbe() override { m_script.alive = false; }

    std::optional<r5setup::LineErrors> poll() override
    {
        ++m_script.polls;
        if (m_script.answers.isEmpty())
            return r5setup::LineErrors{};
        return m_script.answers.takeFirst();
    }

private:
    ProbeScript &m_script;
};

inline auto fakeProbes(ProbeScript &script)
{
    return [&script](QSerialPort &) -> std::unique_ptr<r5setup::LineErrorProbe> {
        return std::make_unique<FakeProbe>(script);
    };
}

// Opens `link` on the device path `port` (a pseudo-terminal's slave side).
inline bool openOn(r5setup::SerialLink &link, const QString &port)
{
    r5setup::SerialSettings s;
    s.portName = port;
    link.setSettings(s);
    return link.open();
}
