#include "r5device/tcp/pingsession.h"

#include "r5device/tcp/hostresolver.h"
#include "r5device/tcp/pingtext.h"

namespace disim {

PingSession::PingSession(HostResolver &resolver, Echo &echo, QObject *parent)
    : QObject(parent), m_resolver(resolver), m_echo(echo)
{
    m_timer.setInterval(kIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &PingSession::tick);
    connect(&m_echo, &Echo::finished, this, &PingSession::echoFinished);
}

void PingSession::start(const QString &target)
{
    m_target = target;
    tick();
    if (!m_timer.isActive())
        m_timer.start();
}

bool PingSession::stop()
{
    if (!m_timer.isActive())
        return false;
    m_timer.stop();
    m_tickDue = false;
    if (m_busy) {
        ++m_generation;
        m_echo.cancel();
        m_busy = false;
    }
    return true;
}

void PingSession::tick()
{
    if (m_busy)
        m_tickDue = true;
    else
        attempt();
}

void PingSession::attempt()
{
    m_busy = true;
    const quint64 generation = ++m_generation;
    const QString typed = m_target;
    m_resolver.resolve(pingHostName(typed), this,
                       [this, generation, typed](std::optional<QHostAddress> address) {
                           if (generation != m_generation)
                               return;
                           if (!address) {
                               attemptDone(pingUnknownHostLine(typed));
                               return;
                           }
                           m_address = *address;
                           m_echo.start(*address);
                       });
}

void PingSession::echoFinished(const EchoResult &result)
{
    if (!m_busy)
        return;
    switch (result.status) {
    case EchoResult::Status::Reply:
        attemptDone(pingReplyLine(result.from.toString(), result.dataSize, result.roundTripMs, result.ttl));
        break;
    case EchoResult::Status::NoAnswer:
        attemptDone(pingNoAnswerLine(m_address.toString()));
        break;
    case EchoResult::Status::NotPermitted:
        attemptDone(pingNotPermittedLine(result.reason));
        break;
    }
}

void PingSession::attemptDone(const QString &text)
{
    m_busy = false;
    Q_EMIT line(text);
    if (m_tickDue && m_timer.isActive()) {
        m_tickDue = false;
        attempt();
    }
}

} // namespace disim
