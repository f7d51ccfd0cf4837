#pragma once

#include "r5site/scanrange.h"

#include <QList>
#include <QObject>
#include <QTimer>
#include <vector>

class QTcpSocket;

namespace r5site {

// Asks every address of a range for a status report on one port: at most kParallel connections
// at once, each given kTimeoutMs to connect and answer. finished() comes once every address has
// answered, refused or run out of time.
class SiteScan : public QObject
{
    Q_OBJECT
public:
    static constexpr int kParallel = 128;
    static constexpr int kTimeoutMs = 1500;

    SiteScan(const AddressRange &range, quint16 port, QObject *parent = nullptr);
    ~SiteScan() override;

    void start();
    void stop();
    // The addresses that answered, in address order.
    QList<ScanHit> hits() const;
    qint64 scanned() const { return m_done; }

Q_SIGNALS:
    void found(const r5site::ScanHit &hit);
    void finished();

private:
    struct Probe;
    void launch();
    void settle(Probe *probe);

    AddressRange m_range;
    quint16 m_port;
    quint64 m_next = 0;
    qint64 m_done = 0;
    std::vector<Probe *> m_probes;
    QList<ScanHit> m_hits;
    bool m_running = false;
};

} // namespace r5site
