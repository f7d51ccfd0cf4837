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

bool SystemLauncher::openUrl(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

QString SystemLauncher::findExecutable(const QString &name) const
{
    return QStandardPaths::findExecutable(name);
}

} // namespace r5
