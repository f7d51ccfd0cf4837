#include "r5device/portaccess.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace r5setup {

namespace {
// As the port reads its name: a path, or a name under /dev.
QString devicePath(const QString &portName)
{
    return portName.startsWith(u'/') ? portName : u"/dev/"_s + portName;
}
} // namespace

OpenFailure classifyOpenFailure(QSerialPort::SerialPortError error, const QString &portName)
{
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return OpenFailure::NotFound;
    case QSerialPort::PermissionError: {
        // The same error stands for the device file's mode and for another program's lock.
        // Opening the file again, with the rights the port had, tells them apart.
        const int fd = ::open(QFile::encodeName(devicePath(portName)).constData(),
                              O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        const int why = errno;
        if (fd >= 0) {
            ::close(fd);
            return OpenFailure::InUse;
        }
        return why == EACCES ? OpenFailure::AccessDenied : OpenFailure::InUse;
    }
    default:
        return OpenFailure::Other;
    }
}

OpenFailure classifySystemOpenError(quint32 error)
{
    switch (error) {
    case ENOENT:
    case ENXIO:
    case ENODEV:
        return OpenFailure::NotFound;
    case EACCES:
        return OpenFailure::AccessDenied;
    case EBUSY:
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

QString likelyPortName(const QString &portName)
{
    bool number = false;
    const uint n = portName.trimmed().toUInt(&number);
    // USB adapters, as a technician's laptop has them, are ttyUSBn.
    return number && n > 0 && n < 256 ? u"/dev/ttyUSB"_s + QString::number(n) : QString();
}

} // namespace r5setup
