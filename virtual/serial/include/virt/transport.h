#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <memory>

namespace virt {

// Where the device's serial bytes go: a pseudo-terminal it creates, or a named serial port.
class Transport : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // The path or port name a peer opens.
    virtual QString name() const = 0;
    virtual void write(const QByteArray &bytes) = 0;

Q_SIGNALS:
    void received(const QByteArray &bytes);
    void problem(const QString &text);
};

// A named serial port at 115200 8N1, no flow control, as the device's line runs: QSerialPort on
// Linux, the Win32 port on Windows (which also serves Wine's COM ports).
class PortTransport final : public Transport
{
    Q_OBJECT
public:
    static std::unique_ptr<PortTransport> open(const QString &portName, QString *error);
    ~PortTransport() override;

    QString name() const override;
    void write(const QByteArray &bytes) override;

private:
    struct Port; // the platform's port
    PortTransport(std::unique_ptr<Port> port, const QString &name);
    std::unique_ptr<Port> m_port;
    QString m_name;
};

// A pseudo-terminal of the device's own, in raw mode (Linux); null with the reason where there
// are none (Windows: name a port).
std::unique_ptr<Transport> createPtyTransport(QString *error);

} // namespace virt
