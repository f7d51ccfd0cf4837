#include "virt/transport.h"

#include <QSerialPort>

using namespace Qt::StringLiterals;

namespace virt {

std::unique_ptr<PortTransport> PortTransport::open(const QString &portName, QString *error)
{
    auto *port = new QSerialPort(portName);
    port->setBaudRate(QSerialPort::Baud115200);
    port->setDataBits(QSerialPort::Data8);
    port->setStopBits(QSerialPort::OneStop);
    port->setParity(QSerialPort::NoParity);
    port->setFlowControl(QSerialPort::NoFlowControl);
    if (!port->open(QIODevice::ReadWrite)) {
        if (error)
            *error = portName + u": "_s + port->errorString();
        delete port;
        return nullptr;
    }
    return std::unique_ptr<PortTransport>(new PortTransport(port, portName));
}

PortTransport::PortTransport(QSerialPort *port, const QString &name) : m_port(port), m_name(name)
{
    m_port->setParent(this);
    connect(m_port, &QSerialPort::readyRead, this, [this] { Q_EMIT received(m_port->readAll()); });
    connect(m_port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) {
        if (e != QSerialPort::NoError)
            Q_EMIT problem(m_port->errorString());
    });
}

PortTransport::~PortTransport() = default;

QString PortTransport::name() const
{
    return m_name;
}

void PortTransport::write(const QByteArray &bytes)
{
    m_port->write(bytes);
}

} // namespace virt
