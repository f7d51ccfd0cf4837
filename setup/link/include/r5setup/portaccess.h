#pragma once

#include "r5setup/seriallink.h"

#include <QSerialPort>
#include <QString>

// What the system's refusal to open a port means and what the user can do about it: each
// platform names its own causes (one implementation per platform).
namespace r5setup {

// `error` as the port named `portName` reported it on opening.
OpenFailure classifyOpenFailure(QSerialPort::SerialPortError error, const QString &portName);

// One sentence of advice for the box; empty when there is nothing to add.
QString openFailureAdvice(OpenFailure failure);

} // namespace r5setup
