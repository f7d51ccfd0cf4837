#include "r5setup/sidetools.h"

#include <QDir>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace r5setup::tools {

QStringList terminalNames()
{
    return {u"x-terminal-emulator"_s, u"gnome-terminal"_s, u"konsole"_s, u"xfce4-terminal"_s, u"xterm"_s};
}

Launch Terminal::run(const QStringList &command, const QString &workingDir) const
{
    // The terminals that hand the window to a running server process do not inherit the
    // working folder, so they are given it. Terminals are Linux's: a path from "/" is already
    // whole, whatever the host's separators.
    const QString dir = workingDir.startsWith(u'/') ? workingDir : QDir(workingDir).absolutePath();
    if (name == u"gnome-terminal")
        return {path, QStringList{u"--working-directory="_s + dir, u"--"_s} + command, workingDir};
    if (name == u"konsole")
        return {path, QStringList{u"--workdir"_s, dir, u"-e"_s} + command, workingDir};
    if (name == u"xfce4-terminal")
        return {path, QStringList{u"--working-directory="_s + dir, u"-x"_s} + command, workingDir};
    // x-terminal-emulator and xterm: "-e PROGRAM ARGS...", the last option.
    return {path, QStringList{u"-e"_s} + command, workingDir};
}

std::optional<Terminal> findTerminal(const FindProgram &find)
{
    for (const QString &name : terminalNames()) {
        const QString path = find(name);
        if (!path.isEmpty())
            return Terminal{name, path};
    }
    return std::nullopt;
}

std::optional<Launch> ping(Platform platform, const QString &address, const FindProgram &find)
{
    if (platform == Platform::Windows)
        return Launch{u"cmd.exe"_s, {u"/C"_s, u"ping"_s, address, u"-t"_s}, u"C:\\"_s};
    const std::optional<Terminal> terminal = findTerminal(find);
    if (!terminal)
        return std::nullopt;
    // Linux ping runs until stopped; "--" keeps a pasted address that starts with "-" from
    // being read as an option.
    return terminal->run({u"ping"_s, u"--"_s, address}, u"/"_s);
}

bool pingAddressAllowed(Platform platform, QStringView address)
{
    if (platform != Platform::Windows)
        return true;
    return std::all_of(address.begin(), address.end(),
                       [](QChar c) { return (c >= u'0' && c <= u'9') || c == u'.'; });
}

QString wanAddress(const QStringList &octets)
{
    return octets.join(u'.');
}

QUrl serverUrl(const QString &address, const QString &port)
{
    return QUrl(u"http://"_s + address + u':' + port);
}

Launch simulator(Platform platform, const QString &workingDir, const QString &programDir,
                 const FileExists &exists)
{
    const QString name = platform == Platform::Windows ? u"Simulator_3810.exe"_s : u"Simulator_3810"_s;
    const QString here = QDir(workingDir).filePath(name);
    if (!exists(here)) {
        const QString besideSetup = QDir(programDir).filePath(name);
        if (exists(besideSetup))
            return {besideSetup, {}, programDir};
    }
    return {here, {}, workingDir};
}

namespace text {

QString noTerminal()
{
    return u"터미널 프로그램을 찾을 수 없습니다. (%1)"_s.arg(terminalNames().join(u", "_s));
}

QString noTerminalLine()
{
    return u"No terminal program found (looked for %1)"_s.arg(terminalNames().join(u", "_s));
}

} // namespace text

} // namespace r5setup::tools
