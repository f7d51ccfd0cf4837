#include "r5device/qtseriallink.h"

#include "r5device/portaccess.h"

namespace r5setup {

namespace {

QSerialPort::StopBits toPort(SerialSettings::StopBits v)
{
    switch (v) {
    case SerialSettings::StopBits::OneAndHalf:
        return QSerialPort::OneAndHalfStop;
    case SerialSettings::StopBits::Two:
        return QSerialPort::TwoStop;
    case SerialSettings::StopBits::One:
        break;
    }
    return QSerialPort::OneStop;
}

QSerialPort::Parity toPort(SerialSettings::Parity v)
{
    switch (v) {
    case SerialSettings::Parity::Odd:
        return QSerialPort::OddParity;
    case SerialSettings::Parity::Even:
        return QSerialPort::EvenParity;
    case SerialSettings::Parity::Mark:
        return QSerialPort::MarkParity;
    case SerialSettings::Parity::Space:
        return QSerialPort::SpaceParity;
    case SerialSettings::Parity::None:
        break;
    }
    return QSerialPort::NoParity;
}

QSerialPort::FlowControl toPort(SerialSettings::FlowControl v)
{
    switch (v) {
    case SerialSettings::FlowControl::Hardware:
        return QSerialPort::HardwareControl;
    case SerialSettings::FlowControl::Software:
        return QSerialPort::SoftwareControl;
    case SerialSettings::FlowControl::None:
        break;
    }
    return QSerialPort::NoFlowControl;
}

} // namespace

QtSerialLink::QtSerialLink(QObject *parent, ProbeFactory probes)
    : SerialLink(parent), m_probes(std::move(probes))
{
    m_probeTimer.setInterval(kProbeIntervalMs);
    connect(&m_probeTimer, &QTimer::timeout, this, &QtSerialLink::checkLineErrors);
    connect(&m_port, &QSerialPort::readyRead, this, &QtSerialLink::onReadyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &QtSerialLink::onPortError);
}

QtSerialLink::~QtSerialLink()
{
    m_probe.reset();
    if (m_port.isOpen())
        m_port.close();
}

void QtSerialLink::applySettings()
{
    m_port.setPortName(m_settings.portName);
    m_port.setBaudRate(m_settings.baudRate);
    m_port.setDataBits(QSerialPort::DataBits(m_settings.dataBits));
    m_port.setStopBits(toPort(m_settings.stopBits));
    m_port.setParity(toPort(m_settings.parity));
    m_port.setFlowControl(toPort(m_settings.flowControl));
}

bool QtSerialLink::open()
{
    if (m_port.isOpen())
        return true;
    applySettings();
    if (!m_port.open(QIODevice::ReadWrite)) {
        m_error = m_port.errorString();
        m_openFailure = classifyOpenFailure(m_port.error(), m_port.portName());
        m_port.clearError();
        return false;
    }
    m_error.clear();
    m_gone = false;
    // Pseudo-terminals and some USB adapters have no modem lines; the port works without them,
    // so a refusal here is neither an error nor a line error.
    m_settingLines = true;
    m_port.setDataTerminalReady(true);
    if (m_settings.flowControl != SerialSettings::FlowControl::Hardware)
        m_port.setRequestToSend(false);
    m_port.clearError();
    m_settingLines = false;

    if (m_probes)
        m_probe = m_probes(m_port);
    if (m_probe)
        m_probeTimer.start();
    Q_EMIT openChanged(true);
    return true;
}

void QtSerialLink::close()
{
    if (!m_port.isOpen())
        return;
    m_probeTimer.stop();
    m_probe.reset();
    m_port.close();
    m_port.clearError();
    Q_EMIT openChanged(false);
}

QByteArray QtSerialLink::read(qint64 maxBytes)
{
    return m_port.read(maxBytes);
}

bool QtSerialLink::write(QByteArrayView bytes)
{
    if (!m_port.isOpen() || m_gone)
        return false;
    const qint64 written = m_port.write(bytes.data(), bytes.size());
    if (written != bytes.size())
        return false;
    // Hand the bytes to the driver now rather than on the event loop: a device that is gone
    // refuses them here, while the caller can still say that the write failed.
    m_port.flush();
    if (m_gone)
        return false;
    Q_EMIT transmitted();
    return true;
}

void QtSerialLink::checkLineErrors()
{
    if (!m_probe)
        return;
    const std::optional<LineErrors> errors = m_probe->poll();
    if (!errors) {
        m_probeTimer.stop();
        m_probe.reset();
        return;
    }
    if (*errors)
        Q_EMIT lineError(*errors);
}

void QtSerialLink::onReadyRead()
{
    const qint64 waiting = m_port.bytesAvailable();
    if (waiting <= 0)
        return;
    Q_EMIT rxChar(waiting);
    checkLineErrors();
    // A handler that reads in bounded pieces leaves the rest waiting; the rest gets its own
    // event now instead of when the next byte happens to arrive.
    const qint64 left = m_port.isOpen() ? m_port.bytesAvailable() : 0;
    if (left > 0 && left < waiting)
        QTimer::singleShot(0, this, &QtSerialLink::onReadyRead);
}

void QtSerialLink::onPortError(QSerialPort::SerialPortError error)
{
    if (m_settingLines || !m_port.isOpen())
        return;
    // A device that no longer takes reads or writes is gone: an unplugged adapter, a closed
    // pseudo-terminal. Its port would report the failure again on every pass of the event loop,
    // so it is reported once and closed. The close waits for the loop: the port is still inside
    // its own read or write here.
    if (error != QSerialPort::ReadError && error != QSerialPort::ResourceError &&
        error != QSerialPort::WriteError)
        return;
    m_port.clearError();
    if (m_gone)
        return;
    m_gone = true;
    QTimer::singleShot(0, this, &QtSerialLink::closeVanished);
}

void QtSerialLink::closeVanished()
{
    if (!m_gone || !m_port.isOpen())
        return;
    close();
    Q_EMIT vanished();
}

} // namespace r5setup
