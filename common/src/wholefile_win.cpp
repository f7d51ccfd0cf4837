#include "wholefile_p.h"

#include <QFileDevice>
#include <io.h>
#include <windows.h>

namespace r5::detail {

bool syncToDisk(QFileDevice &file)
{
    const int fd = file.handle();
    if (fd < 0)
        return false;
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    return handle != INVALID_HANDLE_VALUE && FlushFileBuffers(handle);
}

void syncFolder(const QString &)
{
    // The rename (MoveFileEx replacing the old file) is itself recorded in the volume's journal.
}

} // namespace r5::detail
