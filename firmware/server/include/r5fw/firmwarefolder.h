#pragma once

#include <QString>
#include <variant>

namespace r5fw {

// The folder a server may serve: `homeDir` as configured, relative to `workingDir`. Refused,
// with the box text that names it: empty, missing, not a folder, the root of a disk.
struct FolderRefusal
{
    QString message;
};
std::variant<QString, FolderRefusal> firmwareFolder(const QString &homeDir, const QString &workingDir);

} // namespace r5fw
