#include "reconnectwatcher.h"

#include "r5device/seriallink.h"

using namespace Qt::StringLiterals;

namespace r5setup {

ReconnectWatcher::ReconnectWatcher(SerialLink &link, QObject *parent) : QObject(parent), m_link(link)
{
    setObjectName(u"ReconnectWatcher"_s);
    m_timer.setInterval(kIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &ReconnectWatcher::tryOpen);
}

void ReconnectWatcher::start()
{
    m_timer.start();
}

void ReconnectWatcher::stop()
{
    m_timer.stop();
}

void ReconnectWatcher::tryOpen()
{
    if (!m_link.isOpen() && !m_link.open())
        return;
    m_timer.stop();
    Q_EMIT returned();
}

QString ReconnectWatcher::lostLine(const QString &port)
{
    return u"Port["_s + port + u"] lost: reconnecting when it comes back."_s;
}

QString ReconnectWatcher::returnedLine(const QString &port)
{
    return u"Port["_s + port + u"] reconnected."_s;
}

} // namespace r5setup
