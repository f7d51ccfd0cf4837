#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace r5cli {

enum class Command { Status, Save, Apply, Verify };

struct Args
{
    Command command = Command::Status;
    QString port;
    qint32 baud = 115200;
    int timeoutMs = 2000;        // per answer
    int tries = 3;               // per query
    int rebootTimeoutMs = 30000; // after a save that reboots the device
    bool json = false;
    bool verify = true;
    QString profile; // the PROFILE argument
    QString plan;
    QString record;
};

// Exit codes of the program.
namespace exitcode {
inline constexpr int Ok = 0;
inline constexpr int Usage = 1; // also a refused profile
inline constexpr int NoAnswer = 2;
inline constexpr int Differs = 3;
} // namespace exitcode

struct ParsedArgs
{
    std::optional<Args> args; // nullopt: print `text` and end with `exitCode`
    QString text;
    int exitCode = exitcode::Ok;
};

// `arguments` includes the program name, as QCoreApplication::arguments() gives it.
ParsedArgs parseArgs(const QStringList &arguments, const QString &version);

} // namespace r5cli
