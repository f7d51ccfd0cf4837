#include "r5device/tcp/icmpecho.h"

namespace disim {

IcmpEcho::IcmpEcho(SocketKinds kinds, QObject *parent)
    : Echo(parent), m_kinds(kinds), m_platform(newPlatform())
{
    m_timeout.setSingleShot(true);
    m_timeout.setInterval(kTimeoutMs);
    connect(&m_timeout, &QTimer::timeout, this, [this] {
        EchoResult r;
        r.status = EchoResult::Status::NoAnswer;
        finish(r);
    });
}

IcmpEcho::~IcmpEcho()
{
    dropRequest();
    deletePlatform(m_platform);
}

void IcmpEcho::start(const QHostAddress &target)
{
    cancel();
    m_active = true;
    m_target = target;
    m_elapsed.start();
    m_timeout.start();
    QString reason;
    if (!sendRequest(reason)) {
        EchoResult r;
        r.status = EchoResult::Status::NotPermitted;
        r.reason = reason;
        finishLater(r);
    }
}

void IcmpEcho::finish(const EchoResult &result)
{
    if (!m_active)
        return;
    m_active = false;
    m_timeout.stop();
    dropRequest();
    Q_EMIT finished(result);
}

void IcmpEcho::finishLater(const EchoResult &result)
{
    const quint64 attempt = m_attempt;
    QTimer::singleShot(0, this, [this, attempt, result] {
        if (attempt == m_attempt)
            finish(result);
    });
}

void IcmpEcho::cancel()
{
    ++m_attempt;
    m_active = false;
    m_timeout.stop();
    dropRequest();
}

} // namespace disim
