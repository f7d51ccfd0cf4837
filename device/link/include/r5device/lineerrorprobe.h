#pragma once

#include "r5device/lineerrors.h"

#include <memory>
#include <optional>

class QSerialPort;

namespace r5setup {

// Asks the driver of an open port which line errors happened since the last question.
// QSerialPort no longer reports framing, parity or break conditions, so each platform asks
// its own driver.
class LineErrorProbe
{
public:
    virtual ~LineErrorProbe() = default;
    // Errors since the previous call (none is an empty set); nullopt when the driver cannot
    // tell, after which the caller stops asking.
    virtual std::optional<LineErrors> poll() = 0;
};

// The platform's probe for `port` (open), or null when its driver keeps no error record
// (pseudo-terminals, for one).
std::unique_ptr<LineErrorProbe> makeSystemProbe(QSerialPort &port);

} // namespace r5setup
