#include "r5setup/portaccess.h"

using namespace Qt::StringLiterals;

namespace r5setup {

OpenFailure classifyOpenFailure(QSerialPort::SerialPortError error, const QString &)
{
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return OpenFailure::NotFound;
    case QSerialPort::PermissionError:
        // Windows refuses a port that another program holds with "access denied".
        return OpenFailure::InUse;
    default:
        return OpenFailure::Other;
    }
}

QString openFailureAdvice(OpenFailure failure)
{
    switch (failure) {
    case OpenFailure::NotFound:
        return u"The port does not exist: check that the cable or USB adapter is plugged in and choose its "
               u"port in \"COM Setup\" (Device Manager lists the ports)."_s;
    case OpenFailure::AccessDenied:
    case OpenFailure::InUse:
        return u"The port is in use by another program or does not exist: close the other program, or "
               u"choose another port in \"COM Setup\"."_s;
    case OpenFailure::Other:
        break;
    }
    return {};
}

} // namespace r5setup
