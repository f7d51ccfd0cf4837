#include "winseriallink.h"

#include "r5device/portaccess.h"

#include <QTimer>
#include <windows.h>

namespace r5setup {

namespace {

r5::ComPort::Settings toPort(const SerialSettings &s)
{
    r5::ComPort::Settings p;
    p.portName = s.portName;
    p.baudRate = s.baudRate;
    p.dataBits = s.dataBits;
    switch (s.stopBits) {
    case SerialSettings::StopBits::One:
        p.stopBits = r5::ComPort::StopBits::One;
        break;
    case SerialSettings::StopBits::OneAndHalf:
        p.stopBits = r5::ComPort::StopBits::OneAndHalf;
        break;
    case SerialSettings::StopBits::Two:
        p.stopBits = r5::ComPort::StopBits::Two;
        break;
    }
    switch (s.parity) {
    case SerialSettings::Parity::None:
        p.parity = r5::ComPort::Parity::None;
        break;
    case SerialSettings::Parity::Odd:
        p.parity = r5::ComPort::Parity::Odd;
        break;
    case SerialSettings::Parity::Even:
        p.parity = r5::ComPort::Parity::Even;
        break;
    case SerialSettings::Parity::Mark:
        p.parity = r5::ComPort::Parity::Mark;
        break;
    case SerialSettings::Parity::Space:
        p.parity = r5::ComPort::Parity::Space;
        break;
    }
    switch (s.flowControl) {
    case SerialSettings::FlowControl::None:
        p.flowControl = r5::ComPort::FlowControl::None;
        break;
    case SerialSettings::FlowControl::Hardware:
        p.flowControl = r5::ComPort::FlowControl::Hardware;
        break;
    case SerialSettings::FlowControl::Software:
        p.flowControl = r5::ComPort::FlowControl::Software;
        break;
    }
    return p;
}

// ClearCommError's flags, as the port's error event names them.
LineErrors toLineErrors(quint32 flags)
{
    LineErrors errors;
    errors.setFlag(LineError::Frame, flags & CE_FRAME);
    errors.setFlag(LineError::RxParity, flags & CE_RXPARITY);
    errors.setFlag(LineError::Overrun, flags & CE_OVERRUN);
    errors.setFlag(LineError::Break, flags & CE_BREAK);
    errors.setFlag(LineError::IO, flags & CE_IOE);
    errors.setFlag(LineError::Mode, flags & CE_MODE);
    errors.setFlag(LineError::RxOver, flags & CE_RXOVER);
    errors.setFlag(LineError::TxFull, flags & CE_TXFULL);
    return errors;
}

} // namespace

WinSerialLink::WinSerialLink(QObject *parent) : SerialLink(parent)
{
    connect(&m_port, &r5::ComPort::readyRead, this, &WinSerialLink::onReadyRead);
    connect(&m_port, &r5::ComPort::lineErrors, this, &WinSerialLink::onLineErrors);
    connect(&m_port, &r5::ComPort::failed, this, &WinSerialLink::onFailed);
}

bool WinSerialLink::open()
{
    if (m_port.isOpen())
        return true;
    if (!m_port.open(toPort(m_settings))) {
        m_openFailure = classifySystemOpenError(m_port.openError());
        return false;
    }
    m_openFailure = OpenFailure::Other;
    Q_EMIT openChanged(true);
    return true;
}

void WinSerialLink::close()
{
    if (!m_port.isOpen())
        return;
    m_port.close();
    Q_EMIT openChanged(false);
}

QByteArray WinSerialLink::read(qint64 maxBytes)
{
    return m_port.read(maxBytes);
}

bool WinSerialLink::write(QByteArrayView bytes)
{
    if (!m_port.write(bytes))
        return false;
    Q_EMIT transmitted();
    return true;
}

void WinSerialLink::onReadyRead()
{
    const qint64 waiting = m_port.bytesAvailable();
    if (waiting <= 0)
        return;
    Q_EMIT rxChar(waiting);
    // A handler that reads in bounded pieces leaves the rest waiting; the rest gets its own
    // event now instead of when the next byte happens to arrive.
    const qint64 left = m_port.isOpen() ? m_port.bytesAvailable() : 0;
    if (left > 0 && left < waiting)
        QTimer::singleShot(0, this, &WinSerialLink::onReadyRead);
}

void WinSerialLink::onLineErrors(quint32 flags)
{
    if (const LineErrors errors = toLineErrors(flags))
        Q_EMIT lineError(errors);
}

void WinSerialLink::onFailed()
{
    // The port has closed itself, once; errorString() names what failed.
    Q_EMIT openChanged(false);
    Q_EMIT vanished();
}

} // namespace r5setup
