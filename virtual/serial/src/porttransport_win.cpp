#include "r5/comport.h"
#include "virt/transport.h"

using namespace Qt::StringLiterals;

namespace virt {

struct PortTransport::Port
{
    r5::ComPort com;
};

std::unique_ptr<PortTransport> PortTransport::open(const QString &portName, QString *error)
{
    auto port = std::make_unique<Port>();
    r5::ComPort::Settings settings; // 115200 8N1, no flow control
    settings.portName = portName;
    if (!port->com.open(settings)) {
        if (error)
            *error = portName + u": "_s + port->com.errorString();
        return nullptr;
    }
    return std::unique_ptr<PortTransport>(new PortTransport(std::move(port), portName));
}

PortTransport::PortTransport(std::unique_ptr<Port> port, const QString &name)
    : m_port(std::move(port)), m_name(name)
{
    r5::ComPort *com = &m_port->com;
    connect(com, &r5::ComPort::readyRead, this,
            [this, com] { Q_EMIT received(com->read(com->bytesAvailable())); });
    connect(com, &r5::ComPort::lineErrors, this,
            [this](quint32 flags) { Q_EMIT problem(u"line errors (0x%1)"_s.arg(flags, 0, 16)); });
    connect(com, &r5::ComPort::failed, this, [this, com] { Q_EMIT problem(com->errorString()); });
}

PortTransport::~PortTransport() = default;

QString PortTransport::name() const
{
    return m_name;
}

void PortTransport::write(const QByteArray &bytes)
{
    if (!m_port->com.write(bytes))
        Q_EMIT problem(u"the port did not take %1 bytes"_s.arg(bytes.size()));
}

} // namespace virt
