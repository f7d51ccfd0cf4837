#include "r5device/qtseriallink.h"
#include "r5device/seriallinkfactory.h"

namespace r5setup {

std::unique_ptr<SerialLink> makeSerialLink(QObject *parent)
{
    return std::make_unique<QtSerialLink>(parent);
}

} // namespace r5setup
