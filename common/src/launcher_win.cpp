#include "r5/launcher.h"

#include <QProcess>
#include <windows.h>

namespace r5 {

bool SystemLauncher::startDetached(const QString &program, const QStringList &arguments,
                                   const QString &workingDir)
{
    QProcess process;
    process.setProgram(program);
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
