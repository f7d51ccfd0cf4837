#pragma once

#include "virt/transport.h"

class QSocketNotifier;

namespace virt {

// A pseudo-terminal in raw mode. The device keeps its own handle on the terminal side open,
// so a peer may close and reopen the path any number of times.
class PtyTransport final : public Transport
{
    Q_OBJECT
public:
    static std::unique_ptr<PtyTransport> create(QString *error);
    ~PtyTransport() override;

    QString name() const override { return m_path; }
    void write(const QByteArray &bytes) override;

private:
    PtyTransport(int master, int slave, const QString &path);
    void readReady();
    void flush();

    int m_master;
    int m_slave;
    QString m_path;
    QByteArray m_pending;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
};

} // namespace virt
