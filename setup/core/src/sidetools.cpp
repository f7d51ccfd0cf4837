#include "r5setup/sidetools.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace r5setup::tools {

Platform hostPlatform()
{
#ifdef Q_OS_WIN
    return Platform::Windows;
#else
    return Platform::Linux;
#endif
}

QString pythonProgram(Platform platform, const FindProgram &find)
{
    for (const QString &name : {u"python"_s, u"python3"_s}) {
        const QString path = find(name);
        if (!path.isEmpty())
            return platform == Platform::Windows ? name : path;
    }
    return u"python"_s;
}

QString terminalProgram(const FindProgram &find)
{
    // Both take "-e PROGRAM ARGS...": the Debian alternative first, then plain xterm.
    for (const QString &name : {u"x-terminal-emulator"_s, u"xterm"_s}) {
        const QString path = find(name);
        if (!path.isEmpty())
            return path;
    }
    return {};
}

Launch httpServer(Platform platform, const QString &port, const QString &homeDir, const FindProgram &find)
{
    const QString python = pythonProgram(platform, find);
    const QStringList server{u"-m"_s, u"http.server"_s, port};
    if (platform == Platform::Windows)
        return {u"cmd.exe"_s, QStringList{u"/K"_s, python} + server, homeDir};
    const QString terminal = terminalProgram(find);
    if (terminal.isEmpty())
        return {python, server, homeDir};
    return {terminal, QStringList{u"-e"_s, python} + server, homeDir};
}

std::optional<Launch> ping(Platform platform, const QString &address, const FindProgram &find)
{
    if (platform == Platform::Windows)
        return Launch{u"cmd.exe"_s, {u"/C"_s, u"ping"_s, address, u"-t"_s}, u"C:\\"_s};
    const QString terminal = terminalProgram(find);
    if (terminal.isEmpty())
        return std::nullopt;
    // Linux ping runs until stopped; "--" keeps a pasted address that starts with "-" from
    // being read as an option.
    return Launch{terminal, {u"-e"_s, u"ping"_s, u"--"_s, address}, QDir::rootPath()};
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

} // namespace r5setup::tools
