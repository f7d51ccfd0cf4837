#include "r5device/lineerrorprobe.h"

namespace r5setup {

// No driver error record on this platform: line errors are not reported.
std::unique_ptr<LineErrorProbe> makeSystemProbe(QSerialPort &)
{
    return nullptr;
}

} // namespace r5setup
