#pragma once

#include "virt/devicestate.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QUrl>
#include <cstdint>
#include <optional>

// The device's answers, built from its state as its firmware sends them. Pure functions: no
// state of their own, no I/O.
namespace virt::answers {

// 0x41: 51 bytes with identity, WAN, server, DI and flash settings.
QByteArray status(const DeviceState &state);
// 0x48: a count digit, then one 52-byte record per access point in sight (at most nine).
// `currentRssi` stands in for the listed RSSI of the access point the device is joined to.
QByteArray apList(const DeviceState &state, std::optional<int> currentRssi = std::nullopt);
// 0x49: SSID (32) and password (16), padded on the right.
QByteArray currentAp(const DeviceState &state);
// 0x4A: SSID (32) and the RSSI as 6 right-aligned characters, or "NOINFO" while not joined.
QByteArray rssi(const DeviceState &state, std::optional<int> rssi);
// The reply to a set-command or maintenance command: 7E 05 id 44 FE.
QByteArray shortReply(std::uint8_t id);

// Where a firmware download order (the 38 payload bytes of 0x55) points: http, the address,
// the port and the file path with its padding trimmed. Invalid when the path cannot be part
// of a URL.
QUrl firmwareUrl(QByteArrayView payload);

} // namespace virt::answers
