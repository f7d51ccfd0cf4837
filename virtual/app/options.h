#pragma once

#include "virt/faults.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace virt {

struct Options
{
    QString link;      // also a symbolic link at this path to the pseudo-terminal
    QString port;      // open this serial port instead of creating a pseudo-terminal
    QString stateFile; // settings kept here across restarts
    Faults faults;
    int pieceGapMs = 20;
    int rebootMs = 1500; // how long a reboot keeps the serial line silent
    int rssiDrift = 3;
    std::uint32_t seed = 5200;
    // The TCP side (status reports).
    bool tcp = true;
    QString tcpAddress = QStringLiteral("127.0.0.1");
    std::optional<std::uint16_t> tcpPort; // default: the device's server port
    bool tcpCheckByte = false;            // 34-byte reports (with a check byte) in 'N' mode
    double pulsesPerSecond = 1.0;         // simulated pulses on input 1
    // A fleet: this many devices' TCP status servers on consecutive loopback addresses from
    // tcpAddress, and no serial side. 0: one device, as usual.
    int fleet = 0;
    QString fleetList; // the fleet written here as a site list
};

struct ParsedOptions
{
    std::optional<Options> options; // nullopt: stop, printing `text` (help, version or error)
    QString text;
    int exitCode = 0; // kExitUsage for a bad option
};

// Exit codes: 0 ended by a signal, kExitCannotStart when the serial side or the state file
// cannot be used, kExitUsage for a bad option.
inline constexpr int kExitCannotStart = 1;
inline constexpr int kExitUsage = 2;

ParsedOptions parseOptions(const QStringList &arguments);

} // namespace virt
