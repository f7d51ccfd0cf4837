#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <cstdint>
#include <functional>
#include <optional>

// The programs devsetup starts beside itself (ping, DI simulator), as program,
// argument list and working folder for each platform. Nothing here starts anything: the
// window hands the result to the Launcher.
namespace r5setup::tools {

enum class Platform { Linux, Windows };

// The platform this build runs on (Linux stands for every Unix).
Platform hostPlatform();

struct Launch
{
    QString program;
    QStringList arguments;
    QString workingDir; // empty: the current folder

    bool operator==(const Launch &) const = default;
};

// Full path of a program found on the PATH, or empty.
using FindProgram = std::function<QString(const QString &name)>;
using FileExists = std::function<bool(const QString &path)>;

// The terminal emulators looked for on Linux, in order: the Debian alternative first, then
// the common desktops' own, then plain xterm.
QStringList terminalNames();

// A terminal emulator found on the PATH, and how it is told to run a program.
struct Terminal
{
    QString name; // one of terminalNames()
    QString path;

    // `command` (program, then its arguments, each one argument) in a new window of this
    // terminal, in `workingDir`.
    Launch run(const QStringList &command, const QString &workingDir) const;
};

// The first of terminalNames() that is found, or nullopt.
std::optional<Terminal> findTerminal(const FindProgram &find);

// "ping": a console running a continuous ping to `address` until the user closes it. On
// Windows `cmd.exe /C ping ADDRESS -t` in "C:\"; on Linux a terminal running ping in "/"
// (nullopt when there is no terminal).
std::optional<Launch> ping(Platform platform, const QString &address, const FindProgram &find);

// Whether `address` may go into ping's command line on `platform`. cmd.exe reads &, | and the
// like in its command line whatever the quoting, so on Windows the address holds only what the
// octet fields allow, digits and dots; elsewhere it is one argument of ping's own.
bool pingAddressAllowed(Platform platform, QStringView address);

// The WAN address as typed into the four octet edits, joined with ".".
QString wanAddress(const QStringList &octets);

// "Connection Test": the page the browser opens.
QUrl serverUrl(const QString &address, const QString &port);

// "DI Simulator": `Simulator_3810` from the working folder, or else from the folder that
// holds devsetup (a desktop launch starts devsetup elsewhere); it runs in the folder it was
// found in. When neither holds it, the working folder's name is given and the start fails
// quietly, as a missing program is not reported.
Launch simulator(Platform platform, const QString &workingDir, const QString &programDir,
                 const FileExists &exists);

namespace text {
// No terminal to show ping in: the box and the log line.
QString noTerminal();
QString noTerminalLine();
} // namespace text

} // namespace r5setup::tools
