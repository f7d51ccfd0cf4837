#include "r5/launcher.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>

// startDetached() is per platform (launcher_linux.cpp, launcher_win.cpp): on Windows it gives
// each program a console of its own.

namespace r5 {

bool SystemLauncher::startDetachedToFile(const QString &program, const QStringList &arguments,
                                         const QString &workingDir, const QString &outputFile)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setWorkingDirectory(workingDir);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(outputFile, QIODevice::Append);
    process.setStandardErrorFile(outputFile, QIODevice::Append);
    return process.startDetached();
}

bool SystemLauncher::openUrl(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

QString SystemLauncher::findExecutable(const QString &name) const
{
    return QStandardPaths::findExecutable(name);
}

} // namespace r5
