#pragma once

namespace r5setup {

// The connection states the window's controls follow. A failed open stays in Connecting:
// "Connect" may be tried again, while "Disconnect" and the exit button wait for a connection
// that succeeds and is closed again. Waiting: the open port was lost and "Reconnect" watches
// for it to come back; only "Disconnect" (which ends the watch) is offered.
enum class LinkState { Disconnected, Connecting, Connected, Waiting };

struct EnableRow
{
    bool connect;
    bool disconnect;
    bool comSetup;
    bool exit;
    bool connectedSet; // the pages' controls that need the open port
};

EnableRow enableRow(LinkState state);

} // namespace r5setup
