#include "r5setup/portaccess.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace r5setup {

OpenFailure classifyOpenFailure(QSerialPort::SerialPortError error, const QString &systemLocation)
{
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return OpenFailure::NotFound;
    case QSerialPort::PermissionError:
        // The same error stands for the device file's mode and for another program's lock. The
        // check runs with the rights the open had (effective ids), as the open itself did.
        if (::faccessat(AT_FDCWD, QFile::encodeName(systemLocation).constData(), R_OK | W_OK, AT_EACCESS) !=
                0 &&
            errno == EACCES)
            return OpenFailure::AccessDenied;
        return OpenFailure::InUse;
    default:
        return OpenFailure::Other;
    }
}

QString openFailureAdvice(OpenFailure failure)
{
    switch (failure) {
    case OpenFailure::NotFound:
        return u"There is no such port: check that the cable or USB adapter is plugged in and choose its "
               u"port in \"COM Setup\"."_s;
    case OpenFailure::AccessDenied:
        return u"Your user may not use serial ports: add it to the 'dialout' group "
               u"(sudo usermod -aG dialout $USER), then log out and log in again."_s;
    case OpenFailure::InUse:
        return u"Another program is using the port: close it, then connect again."_s;
    case OpenFailure::Other:
        break;
    }
    return {};
}

} // namespace r5setup
