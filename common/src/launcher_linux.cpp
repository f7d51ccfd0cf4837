#include "r5/launcher.h"

#include <QProcess>

namespace r5 {

bool SystemLauncher::startDetached(const QString &program, const QStringList &arguments,
                                   const QString &workingDir)
{
    return QProcess::startDetached(program, arguments, workingDir);
}

} // namespace r5
