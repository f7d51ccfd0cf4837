#include "r5site/sitescan.h"

#include "r5device/tcp/command.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <algorithm>

namespace r5site {

// The socket and its timer go with deleteLater(): a probe ends inside the socket's own signals.
struct SiteScan::Probe
{
    QTcpSocket &socket;
    QTimer &timeout;
    quint32 address = 0;
    QByteArray pending;

    Probe() : socket(*new QTcpSocket), timeout(*new QTimer) {}
    ~Probe()
    {
        socket.deleteLater();
        timeout.deleteLater();
    }
    Probe(const Probe &) = delete;
    Probe &operator=(const Probe &) = delete;
};

SiteScan::SiteScan(const AddressRange &range, quint16 port, QObject *parent)
    : QObject(parent), m_range(range), m_port(port)
{}

SiteScan::~SiteScan()
{
    stop();
}

void SiteScan::start()
{
    if (m_running)
        return;
    m_running = true;
    launch();
}

void SiteScan::stop()
{
    m_running = false;
    for (Probe *p : m_probes) {
        p->socket.disconnect(this);
        p->timeout.disconnect(this);
        p->socket.abort();
        delete p;
    }
    m_probes.clear();
}

QList<ScanHit> SiteScan::hits() const
{
    QList<ScanHit> out = m_hits;
    std::sort(out.begin(), out.end(), [](const ScanHit &a, const ScanHit &b) {
        return QHostAddress(a.address).toIPv4Address() < QHostAddress(b.address).toIPv4Address();
    });
    return out;
}

void SiteScan::launch()
{
    const quint64 count = quint64(m_range.count());
    while (m_running && int(m_probes.size()) < kParallel && m_next < count) {
        auto *p = new Probe;
        p->address = m_range.first + quint32(m_next++);
        m_probes.push_back(p);
        // A report is at most 57 bytes; whatever else a port sends stays bounded.
        p->socket.setReadBufferSize(1024);
        p->timeout.setSingleShot(true);
        connect(&p->timeout, &QTimer::timeout, this, [this, p] { settle(p); });
        connect(&p->socket, &QTcpSocket::connected, this,
                [p] { p->socket.write(disim::buildCommand(disim::Command::Request, 0, 0, 0)); });
        connect(&p->socket, &QTcpSocket::readyRead, this, [this, p] {
            p->pending += p->socket.readAll();
            if (p->pending.size() > disim::Report::kWithGapTimes) {
                settle(p); // not a device of ours
                return;
            }
            if (const auto report = disim::decodeReport(p->pending)) {
                ScanHit hit{dotted(p->address), m_port, *report};
                m_hits.append(hit);
                Q_EMIT found(hit);
                settle(p);
            }
        });
        connect(&p->socket, &QAbstractSocket::stateChanged, this, [this, p](QAbstractSocket::SocketState s) {
            if (s == QAbstractSocket::UnconnectedState)
                settle(p);
        });
        p->timeout.start(kTimeoutMs);
        p->socket.connectToHost(QHostAddress(p->address), m_port);
    }
}

void SiteScan::settle(Probe *probe)
{
    const auto it = std::find(m_probes.begin(), m_probes.end(), probe);
    if (it == m_probes.end())
        return;
    m_probes.erase(it);
    ++m_done;
    probe->socket.disconnect(this);
    probe->timeout.disconnect(this);
    probe->timeout.stop();
    probe->socket.abort();
    delete probe;
    if (!m_running)
        return;
    if (m_done == m_range.count()) {
        m_running = false;
        QMetaObject::invokeMethod(this, &SiteScan::finished, Qt::QueuedConnection);
        return;
    }
    QMetaObject::invokeMethod(this, &SiteScan::launch, Qt::QueuedConnection);
}

} // namespace r5site
