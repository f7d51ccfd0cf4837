#include "r5fw/firmwarefolder.h"

#include "r5fw/fwtexts.h"

#include <QDir>
#include <QFileInfo>

namespace r5fw {

std::variant<QString, FolderRefusal> firmwareFolder(const QString &homeDir, const QString &workingDir)
{
    if (homeDir.trimmed().isEmpty())
        return FolderRefusal{text::homeDirEmpty()};
    const QString path = QDir::cleanPath(QDir(workingDir).absoluteFilePath(homeDir));
    const QFileInfo info(path);
    if (!info.exists())
        return FolderRefusal{text::homeDirMissing(QDir::toNativeSeparators(path))};
    if (!info.isDir())
        return FolderRefusal{text::homeDirNotFolder(QDir::toNativeSeparators(path))};
    // Through links too: a link to "/" would serve the whole disk all the same.
    const QString canonical = info.canonicalFilePath();
    if (canonical.isEmpty() || QDir(canonical).isRoot())
        return FolderRefusal{text::homeDirRoot(QDir::toNativeSeparators(path))};
    return canonical;
}

} // namespace r5fw
