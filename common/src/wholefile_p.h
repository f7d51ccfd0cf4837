#pragma once

#include <QString>

class QFileDevice;

namespace r5::detail {

// Asks the system to put what `file` holds on the disk; false when it cannot (a delayed
// allocation that finds no room fails here, not at write()).
bool syncToDisk(QFileDevice &file);

// After a rename: puts the folder's new entry on the disk too, where the system needs that.
void syncFolder(const QString &folder);

} // namespace r5::detail
