#include "r5/launcher.h"

#include <QDesktopServices>
#include <QStandardPaths>

// startDetached() is per platform (launcher_linux.cpp, launcher_win.cpp).

namespace r5 {

bool SystemLauncher::openUrl(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

QString SystemLauncher::findExecutable(const QString &name) const
{
    return QStandardPaths::findExecutable(name);
}

} // namespace r5
