#pragma once

#include "r5device/seriallink.h"

#include <memory>

namespace r5setup {

// The platform's link to the device: QSerialPort on Linux, the Win32 port on Windows.
std::unique_ptr<SerialLink> makeSerialLink(QObject *parent = nullptr);

} // namespace r5setup
