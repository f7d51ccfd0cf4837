#pragma once

#include <cstdint>

// The message ids the receiver knows, and the content count each one needs.
namespace r5::protocol {

enum class MessageKind {
    Status,       // 0x41
    ReplyOnly,    // 0x42 to 0x47: replies to set-commands, logged as "[EOT]" and in words
    ApList,       // 0x48
    CurrentAp,    // 0x49
    Rssi,         // 0x4A
    Unregistered, // everything else, 0x53, 0x55 and 0x58 included
};

struct MessageRule
{
    MessageKind kind;
    // Bytes between the start and the end byte that the decoder needs; -1 takes any count.
    int contentCount;
};

MessageRule messageRule(std::uint8_t id);

enum class FrameClass {
    Accepted,     // a known id with the count its decoder needs (or any count where none is needed)
    WrongCount,   // a known id whose count differs: logged and dropped
    ReplyOnly,    // 0x42 to 0x47
    Unregistered, // answered by a new status request
};

FrameClass classify(std::uint8_t id, int contentCount);

} // namespace r5::protocol
