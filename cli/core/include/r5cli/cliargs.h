#pragma once

#include "r5cli/siteargs.h"
#include "r5device/serialsettings.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace r5cli {

enum class Command { Status, Save, Apply, Verify, Firmware, Site, Scan };

struct Args
{
    Command command = Command::Status;
    QString port;
    qint32 baud = 115200;
    int dataBits = 8;
    r5setup::SerialSettings::Parity parity = r5setup::SerialSettings::Parity::None;
    r5setup::SerialSettings::StopBits stopBits = r5setup::SerialSettings::StopBits::One;
    int timeoutMs = 2000;        // per answer
    int tries = 3;               // per query
    int rebootTimeoutMs = 30000; // after a save that reboots the device
    bool json = false;
    bool verify = true;
    QString profile; // the PROFILE argument
    QString plan;
    QString record;
    QString firmware;     // firmware: the FILE to serve
    QString serveAddress; // firmware --serve: empty for this PC's address
    quint16 servePort = 8070;
    SiteArgs site; // site and scan
};

// Exit codes of the program. Each failure has its own, so a script can tell them apart.
namespace exitcode {
inline constexpr int Ok = 0;
inline constexpr int Usage = 1;         // bad arguments, or a profile or plan that is refused
inline constexpr int NoAnswer = 2;      // the port opened but the device did not answer
inline constexpr int Differs = 3;       // a field read back differs from the profile
inline constexpr int PortNotOpened = 4; // the serial port cannot be opened
inline constexpr int NotWritten = 5;    // the record row (or save's profile) could not be written
inline constexpr int NoRequest = 6;     // firmware: no request for the file reached the server
inline constexpr int BrokenOff = 7;     // firmware: the transfer broke off or was refused
inline constexpr int NotOnline = 9;     // site: some devices are not online at the end
inline constexpr int Interrupted = 130; // Ctrl+C, Ctrl+Break, the console closed, SIGINT/SIGTERM/SIGHUP
} // namespace exitcode

// The command's name as typed ("status"), and back.
QString commandName(Command command);

struct ParsedArgs
{
    std::optional<Args> args; // nullopt: print `text` and end with `exitCode`
    QString text;
    int exitCode = exitcode::Ok;
    QString message;   // an error alone, without the program's name and the hint
    QString field;     // the option or argument an error is about ("--baud", "PROFILE")
    bool json = false; // --json was given: the error goes out as the JSON object
    QString command;   // the command named, when one was
};

// `arguments` includes the program name, as QCoreApplication::arguments() gives it;
// `baudRates` are the rates the port dialog offers.
ParsedArgs parseArgs(const QStringList &arguments, const QString &version, const QList<qint32> &baudRates);

} // namespace r5cli
