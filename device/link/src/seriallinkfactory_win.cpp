#include "r5device/seriallinkfactory.h"
#include "winseriallink.h"

namespace r5setup {

// QSerialPort is not used here: it reads the driver's error record (ClearCommError) after every
// read before anyone else can, and under Wine it never sees bytes arrive on a COM port that
// leads to a pseudo-terminal.
std::unique_ptr<SerialLink> makeSerialLink(QObject *parent)
{
    return std::make_unique<WinSerialLink>(parent);
}

} // namespace r5setup
