#include "r5device/portaccess.h"

#include <QSerialPortInfo>
#include <QStringList>
#include <windows.h>

using namespace Qt::StringLiterals;

namespace r5setup {

namespace {

QString presentPorts()
{
    QStringList names;
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : ports)
        names << info.portName();
    return names.isEmpty() ? u"none"_s : names.join(u", "_s);
}

} // namespace

OpenFailure classifyOpenFailure(QSerialPort::SerialPortError error, const QString &)
{
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return OpenFailure::NotFound;
    case QSerialPort::PermissionError:
        return OpenFailure::InUse;
    default:
        return OpenFailure::Other;
    }
}

OpenFailure classifySystemOpenError(quint32 error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_BAD_UNIT:
    case ERROR_DEVICE_NOT_CONNECTED:
        return OpenFailure::NotFound;
    // A port is opened for this program alone: Windows refuses the second opener with "access
    // denied" (a real port's driver) or a sharing violation (Wine, and some virtual ports).
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY:
        return OpenFailure::InUse;
    case ERROR_PRIVILEGE_NOT_HELD:
    case ERROR_ACCESS_DISABLED_BY_POLICY:
        return OpenFailure::AccessDenied;
    default:
        return OpenFailure::Other;
    }
}

QString openFailureAdvice(OpenFailure failure)
{
    switch (failure) {
    case OpenFailure::NotFound:
        return u"There is no such port (ports on this PC: %1): check that the cable or USB adapter is "
               u"plugged in and choose its port in \"COM Setup\"."_s.arg(presentPorts());
    case OpenFailure::InUse:
        return u"Another program is using the port (Windows does not say which one): close the program "
               u"that uses it (a terminal, another devsetup), then connect again. If none does, your "
               u"account may not be allowed to use the port: ask the PC's administrator."_s;
    case OpenFailure::AccessDenied:
        return u"Your account may not use this port: ask the PC's administrator."_s;
    case OpenFailure::Other:
        break;
    }
    return {};
}

QString likelyPortName(const QString &portName)
{
    bool number = false;
    const uint n = portName.trimmed().toUInt(&number);
    // Device Manager and the port dialog show ports as COMn.
    return number && n > 0 && n < 256 ? u"COM"_s + QString::number(n) : QString();
}

} // namespace r5setup
