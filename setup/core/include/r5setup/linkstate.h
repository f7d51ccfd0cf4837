#pragma once

#include <QLatin1StringView>
#include <span>

namespace r5setup {

// The connection states the window's controls follow. A failed open stays in Connecting:
// "Connect" may be tried again, while "Disconnect" and the exit button wait for a connection
// that succeeds and is closed again.
enum class LinkState { Disconnected, Connecting, Connected };

struct EnableRow
{
    bool connect;
    bool disconnect;
    bool comSetup;
    bool exit;
    bool connectedSet;
};

EnableRow enableRow(LinkState state);

// Object names of the controls enabled only while connected.
std::span<const QLatin1StringView> connectedSet();

// The RSSI auto-query box of the connected set: unchecked before it is disabled, so its
// timer stops with the connection.
inline constexpr QLatin1StringView kRssiAutoCheck("CB_RSSI_AutoChk");

} // namespace r5setup
