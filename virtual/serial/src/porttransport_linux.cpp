#include "virt/transport.h"

#include <QSerialPort>

using namespace Qt::StringLiterals;

namespace virt {

struct PortTransport::Port
{
    QSerialPort serial;
};

std::unique_ptr<PortTransport> PortTransport::open(const QString &portName, QString *error)
{
    auto port = std::make_unique<Port>();
    QSerialPort &serial = port->serial;
    serial.setPortName(portName);
    serial.setBaudRate(QSerialPort::Baud115200);
    serial.setDataBits(QSerialPort::Data8);
    serial.setStopBits(QSerialPort::OneStop);
    serial.setParity(QSerialPort::NoParity);
    serial.setFlowControl(QSerialPort::NoFlowControl);
    if (!serial.open(QIODevice::ReadWrite)) {
        if (error)
            *error = portName + u": "_s + serial.errorString();
        return nullptr;
    }
    return std::unique_ptr<PortTransport>(new PortTransport(std::move(port), portName));
}

PortTransport::PortTransport(std::unique_ptr<Port> port, const QString &name)
    : m_port(std::move(port)), m_name(name)
{
    QSerialPort *serial = &m_port->serial;
    connect(serial, &QSerialPort::readyRead, this, [this, serial] { Q_EMIT received(serial->readAll()); });
    connect(serial, &QSerialPort::errorOccurred, this, [this, serial](QSerialPort::SerialPortError e) {
        if (e != QSerialPort::NoError)
            Q_EMIT problem(serial->errorString());
    });
}

PortTransport::~PortTransport() = default;

QString PortTransport::name() const
{
    return m_name;
}

void PortTransport::write(const QByteArray &bytes)
{
    m_port->serial.write(bytes);
}

} // namespace virt
