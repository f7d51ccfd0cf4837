#pragma once

#include "r5device/seriallink.h"

#include <QSerialPort>
#include <QString>

// What the system's refusal to open a port means and what the user can do about it: each
// platform names its own causes (one implementation per platform).
namespace r5setup {

// `error` as the port named `portName` reported it on opening.
OpenFailure classifyOpenFailure(QSerialPort::SerialPortError error, const QString &portName);
// The system's own error code from opening a port (Windows: the last error CreateFile or the
// port's set-up left; Linux: errno).
OpenFailure classifySystemOpenError(quint32 error);

// One sentence of advice for the box; empty when there is nothing to add. On Windows, for a port
// that does not exist it names the ports there are.
QString openFailureAdvice(OpenFailure failure);

// The port a name that is only a number ("5") most likely means ("COM5" on Windows); empty for
// any other name.
QString likelyPortName(const QString &portName);

} // namespace r5setup
