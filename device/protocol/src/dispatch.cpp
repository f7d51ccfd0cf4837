#include "r5device/protocol/dispatch.h"

namespace r5::protocol {

MessageRule messageRule(std::uint8_t id)
{
    switch (id) {
    case 0x41:
        return {MessageKind::Status, 49};
    case 0x42:
    case 0x43:
    case 0x44:
    case 0x45:
    case 0x46:
    case 0x47:
        return {MessageKind::ReplyOnly, -1};
    case 0x48:
        return {MessageKind::ApList, -1};
    case 0x49:
        return {MessageKind::CurrentAp, 51};
    case 0x4A:
        return {MessageKind::Rssi, 41};
    default:
        return {MessageKind::Unregistered, -1};
    }
}

FrameClass classify(std::uint8_t id, int contentCount)
{
    const MessageRule rule = messageRule(id);
    if (rule.kind == MessageKind::Unregistered)
        return FrameClass::Unregistered;
    if (rule.kind == MessageKind::ReplyOnly)
        return FrameClass::ReplyOnly;
    if (rule.contentCount >= 0 && rule.contentCount != contentCount)
        return FrameClass::WrongCount;
    return FrameClass::Accepted;
}

} // namespace r5::protocol
