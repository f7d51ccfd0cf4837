#include "wholefile_p.h"

#include <QFile>
#include <QFileDevice>
#include <fcntl.h>
#include <unistd.h>

namespace r5::detail {

bool syncToDisk(QFileDevice &file)
{
    const int fd = file.handle();
    return fd >= 0 && ::fsync(fd) == 0;
}

void syncFolder(const QString &folder)
{
    // Some file systems refuse to sync a folder; the file itself is already on the disk then.
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    (void)::fsync(fd);
    ::close(fd);
}

} // namespace r5::detail
