#pragma once

#include "virt/tcpside.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <memory>
#include <vector>

namespace virt {

// Many devices' TCP status servers in one process, on consecutive loopback addresses from
// `first`, so a site of hundreds can be tried on one machine. Each has its own MAC and its
// inputs pulse at a rate of their own. Devices are switched off, on, or made to hang by a
// console command.
class Fleet : public QObject
{
    Q_OBJECT
public:
    static constexpr int kMaxDevices = 1000;

    struct Device
    {
        QString address;
        QString mac;
        std::unique_ptr<TcpSide> tcp;
    };

    // A fleet only ever listens on loopback addresses: empty when `first` and the `count`
    // addresses after it are all in 127.0.0.0/8, else why not.
    static QString refusal(const QString &first, int count);

    Fleet(const QString &first, int count, quint16 port, char mode, double pulsesPerSecond,
          QObject *parent = nullptr);
    ~Fleet() override;

    // Listens on every address; false, with the first failure in `error`, when one cannot.
    bool start(QString *error);
    int size() const { return int(m_devices.size()); }
    const Device &device(int i) const { return m_devices.at(std::size_t(i)); }
    quint16 port() const { return m_port; }

    // "stop N", "start N", "hang N" (N a device number from 1, or FIRST-LAST), "list": what was
    // done, or why the line was refused.
    QString command(const QString &line);

    // The fleet as a site list: Address, Port, Label, MAC.
    QByteArray siteList() const;

private:
    std::vector<Device> m_devices;
    std::vector<TcpConfig> m_configs;
    quint16 m_port;
};

} // namespace virt
