#include "r5site/sitescan.h"

namespace r5site {

struct SiteScan::Probe
{
};

SiteScan::SiteScan(const AddressRange &range, quint16 port, QObject *parent)
    : QObject(parent), m_range(range), m_port(port)
{}

SiteScan::~SiteScan() = default;

void SiteScan::start()
{
    m_running = true;
}

void SiteScan::stop()
{
    m_running = false;
}

QList<ScanHit> SiteScan::hits() const
{
    return m_hits;
}

} // namespace r5site
