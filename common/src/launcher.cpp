#include "r5/launcher.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>

namespace r5 {

bool SystemLauncher::startDetached(const QString &program, const QStringList &arguments,
                                   const QString &workingDir)
{
    return QProcess::startDetached(program, arguments, workingDir);
}

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
