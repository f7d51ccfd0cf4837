#include "r5/launcher.h"

#include <QFileInfo>
#include <QProcess>
#include <windows.h>

namespace r5 {

namespace {

// A bare program name is looked for in the working folder before the system's: one of the
// system's own programs (cmd.exe) is started from the system folder by its full path, so a
// file of that name elsewhere is never run instead.
QString systemProgram(const QString &program)
{
    if (program.contains(u'/') || program.contains(u'\\'))
        return program;
    wchar_t dir[MAX_PATH];
    const UINT n = ::GetSystemDirectoryW(dir, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return program;
    const QString path = QString::fromWCharArray(dir, int(n)) + u'\\' + program;
    return QFileInfo(path).isFile() ? path : program;
}

} // namespace

bool SystemLauncher::startDetached(const QString &program, const QStringList &arguments,
                                   const QString &workingDir)
{
    QProcess process;
    process.setProgram(systemProgram(program));
    process.setArguments(arguments);
    process.setWorkingDirectory(workingDir);
    // A window program's detached children get no console from Qt (CREATE_NO_WINDOW), so the
    // HTTP server and ping would run unseen: each start gets a console of its own, shown as a
    // normal window and using its own standard handles. Window programs (the DI simulator)
    // take no console whatever the flag. None of devsetup's handles go along.
    process.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments *args) {
        args->flags = (args->flags & ~DWORD(CREATE_NO_WINDOW)) | CREATE_NEW_CONSOLE;
        args->startupInfo->dwFlags &= ~DWORD(STARTF_USESTDHANDLES);
        args->startupInfo->hStdInput = nullptr;
        args->startupInfo->hStdOutput = nullptr;
        args->startupInfo->hStdError = nullptr;
        args->inheritHandles = false;
    });
    return process.startDetached();
}

} // namespace r5
