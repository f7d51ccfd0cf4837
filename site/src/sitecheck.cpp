#include "r5site/sitecheck.h"

namespace r5site {

struct SiteCheck::Device
{
};

SiteCheck::SiteCheck(QList<SiteEntry> devices, const r5::Clock &clock, QObject *parent)
    : QObject(parent), m_core(std::move(devices), clock)
{}

SiteCheck::~SiteCheck() = default;

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
    m_running = true;
}

void SiteCheck::stop()
{
    m_running = false;
}

void SiteCheck::conclude()
{
    stop();
    m_core.conclude();
}

} // namespace r5site
