#include "workfolders_p.h"

#include <QDir>
#include <QTemporaryFile>

namespace r5::detail {

bool canCreateIn(const QString &folder)
{
    // Windows answers "writable" from the read-only attribute alone, which a folder under
    // Program Files does not carry; only creating a file there tells. It is removed at once.
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral("r5probe-XXXXXX.tmp")));
    return probe.open();
}

} // namespace r5::detail
