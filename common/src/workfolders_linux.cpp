#include "workfolders_p.h"

#include <QFileInfo>

namespace r5::detail {

bool canCreateIn(const QString &folder)
{
    // As the system answers for this user (a read-only mount included); nothing is written to
    // find out.
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable();
}

} // namespace r5::detail
